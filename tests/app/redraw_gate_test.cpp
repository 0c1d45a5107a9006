// The redraw gate against the pictures themselves: every frame of these scenes is also drawn
// off-screen, so each decision is checked against whether the frame would really look different.
#include "app/redraw_gate.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

#include "app/application_services.hpp"
#include "app/main_loop.hpp"
#include "draw/canvas.hpp"
#include "draw/font.hpp"
#include "draw/text.hpp"
#include "images/cover_cache.hpp"
#include "screens/common/app_context.hpp"
#include "screens/dispatch.hpp"
#include "storage/store.hpp"
#include "support/files.hpp"
#include "support/jpeg_encoding.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using std::chrono::nanoseconds;

std::vector<std::uint8_t> cover_jpeg() {
  constexpr int WIDTH = 60;
  constexpr int HEIGHT = 80;
  std::vector<std::uint8_t> samples(static_cast<std::size_t>(WIDTH) * HEIGHT * 3);
  for (std::size_t i = 0; i < samples.size(); i += 3) {
    samples[i] = 230;
    samples[i + 1] = 40;
    samples[i + 2] = 90;
  }
  return testing::encode_jpeg(samples, WIDTH, HEIGHT, 3, JCS_RGB, 90);
}

SharedImage page_image() {
  auto image = std::make_shared<RgbaImage>();
  image->width = 300;
  image->height = 400;
  image->pixels.assign(std::size_t{300} * 400 * 4, 200);
  return image;
}

std::vector<MangaItem> titles(std::size_t count) {
  std::vector<MangaItem> items;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    items.push_back({"Truyện " + n, "https://site/truyen-" + n, "https://img/" + n + ".jpg",
                     "Chapter " + n, n + "00"});
  }
  return items;
}

bool same_pixels(const Canvas& a, const Canvas& b) {
  const std::size_t count = static_cast<std::size_t>(a.width()) * a.height();
  return std::equal(a.data(), a.data() + count, b.data());
}

struct Outcome {
  bool composed;
  bool looks_different;  // from the picture on the screen
};

// The application's drawing step with a real store and cover cache: `screen` holds what was last
// composed, as the display would.
class Scene {
 public:
  // Covers are downloaded only once the test lets them, so none arrives halfway through a frame.
  Scene()
      : covers_(std::make_unique<CoverCache>(
            dir_ / "thumbs", [downloads = downloads_.get_future().share()](std::string_view) {
              downloads.wait();
              return cover_jpeg();
            })) {
    std::filesystem::create_directories(dir_ / "thumbs");
    worker_ = std::thread(covers_->take_worker());
    state.home.home_loading = false;
  }
  ~Scene() {
    if (!downloads_released_) downloads_.set_value();
    covers_.reset();
    worker_.join();
  }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Stands for a running download, which changes the picture with time.
  bool timed = false;

  Outcome frame() {
    now_ += FRAME_DURATION;
    PictureSources sources = picture_sources(*covers_, store);
    sources.timed = sources.timed || timed;
    Canvas candidate(state.screen_width, state.screen_height);
    Renderer renderer{candidate, font_};
    draw_screen(renderer, state, services_);
    const bool different = !screen_ || !same_pixels(candidate, *screen_);
    const bool composed = gate.can_differ(version_, sources, now_);
    if (composed) {
      screen_ = std::move(candidate);
      gate.composed(version_, sources, now_);
    }
    // Whatever else is asked, a frame that looks different is never skipped.
    EXPECT_TRUE(composed || !different);
    return {composed, different};
  }
  Outcome press(Button button) {
    handle_button(state, button, context_);
    ++version_;
    return frame();
  }
  Outcome apply(WorkerResult result) {
    apply_worker_result(state, std::move(result), context_);
    ++version_;
    return frame();
  }
  // Lets the covers asked for so far arrive, and waits for them, bounded in real time.
  void let_covers_arrive() {
    downloads_.set_value();
    downloads_released_ = true;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!covers_->idle() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(covers_->idle());
  }
  void advance(nanoseconds time) { now_ += time; }
  std::filesystem::path data_dir() const { return dir_ / "sd"; }

 private:
  testing::TempDir dir_;

 public:
  Store store{StorePaths{(dir_ / "sd").string(), (dir_ / "local").string()}};
  AppState state = make_initial_state(1280, 720);
  RedrawGate gate;

 private:
  Font font_ = Font::load_embedded().value();
  std::promise<void> downloads_;
  bool downloads_released_ = false;
  std::unique_ptr<CoverCache> covers_;
  std::thread worker_;
  Downloads card_downloads_{(dir_ / "data").string()};
  ApplicationServices services_{store, *covers_, card_downloads_};
  testing::RecordingJobs jobs_;
  AppContext context_{jobs_, store};
  std::optional<Canvas> screen_;
  nanoseconds now_{0};
  std::uint64_t version_ = 0;  // as the loop counts results and presses
};

constexpr Outcome COMPOSED{true, true};
constexpr Outcome SKIPPED{false, false};
// A press or a result that changed nothing still counts: the gate never looks into the state.
constexpr Outcome RECOMPOSED{true, false};

bool operator==(const Outcome& a, const Outcome& b) {
  return a.composed == b.composed && a.looks_different == b.looks_different;
}
void PrintTo(const Outcome& o, std::ostream* out) {
  *out << (o.composed ? "composed" : "skipped") << (o.looks_different ? ", different" : ", same");
}

TEST(RedrawGate, HomeComposesForAPressACoverOrAnotherProgramsFavourites) {
  Scene scene;
  scene.state.home.all_items = scene.state.home.source_items = scene.state.home.displayed_items =
      titles(12);
  EXPECT_EQ(scene.frame(), COMPOSED) << "the first frame";
  EXPECT_EQ(scene.frame(), SKIPPED) << "a still frame";

  EXPECT_EQ(scene.press(Button::Right), COMPOSED) << "a moved selection";
  EXPECT_EQ(scene.press(Button::Up), RECOMPOSED) << "Up on the top row changes nothing";

  scene.let_covers_arrive();
  EXPECT_EQ(scene.frame(), COMPOSED) << "the covers of the first rows arrived";
  EXPECT_EQ(scene.frame(), SKIPPED);

  // Another program replaces favorites.json with one holding the selected title.
  const MangaItem& item = scene.state.home.displayed_items[1];
  testing::write_file(scene.data_dir() / "favorites.json.new",
                      R"([{"title":")" + item.title + R"(","url":")" + item.url +
                          R"(","thumb_url":"","latest_chapter":"","views":""}])");
  std::filesystem::rename(scene.data_dir() / "favorites.json.new",
                          scene.data_dir() / "favorites.json");
  EXPECT_EQ(scene.frame(), COMPOSED) << "the star of a favourite added elsewhere";
  EXPECT_EQ(scene.frame(), SKIPPED);
}

TEST(RedrawGate, DetailComposesForAMoveAndOurOwnFavourite) {
  Scene scene;
  scene.state.screen = Screen::Detail;
  scene.state.details.current_item = titles(1).front();
  for (int i = 0; i < 30; ++i)
    scene.state.details.chapters.push_back(
        {"Chapter " + std::to_string(i), "https://site/c" + std::to_string(i)});
  scene.state.details.chapters_site_order = scene.state.details.chapters;
  scene.state.details.detail = MangaDetail{.title = "Truyện 0",
                                           .cover_url = "",
                                           .source = "NetTruyen",
                                           .status = "Đang tiến hành",
                                           .genres = "Hành động",
                                           .summary = "Một câu chuyện.",
                                           .chapters = scene.state.details.chapters};
  EXPECT_EQ(scene.frame(), COMPOSED);

  EXPECT_EQ(scene.press(Button::Down), COMPOSED);
  EXPECT_EQ(scene.apply(DetailLoaded{MangaDetail{.title = "Khác",
                                                 .cover_url = "",
                                                 .source = "",
                                                 .status = "",
                                                 .genres = "",
                                                 .summary = "Không phải truyện này",
                                                 .chapters = {}},
                                     "https://site/another"}),
            RECOMPOSED)
      << "a late detail of another title is dropped";
  EXPECT_EQ(scene.press(Button::Y), COMPOSED) << "the favourite toggled by this screen";
  EXPECT_EQ(scene.frame(), SKIPPED);
}

TEST(RedrawGate, ReaderComposesForItsPageAndCountsAStaleImage) {
  Scene scene;
  scene.state.screen = Screen::Reader;
  scene.state.reader.chapter_url = "https://site/c1";
  scene.state.reader.pages = {"https://img/p0", "https://img/p1", "https://img/p2"};
  scene.state.reader.page_index = 1;
  EXPECT_EQ(scene.frame(), COMPOSED);

  EXPECT_EQ(scene.apply(PageImageLoaded{page_image(), 0, "https://site/c1",
                                        scene.state.reader.image_request}),
            RECOMPOSED)
      << "the image of a page turned away from";
  EXPECT_EQ(scene.apply(PageImageLoaded{page_image(), 1, "https://site/c0",
                                        scene.state.reader.image_request}),
            RECOMPOSED)
      << "the same page of the chapter left";
  EXPECT_EQ(scene.apply(PageImageLoaded{page_image(), 1, "https://site/c1",
                                        scene.state.reader.image_request}),
            COMPOSED);
  EXPECT_EQ(scene.press(Button::Select), COMPOSED) << "the HUD hidden";
  EXPECT_EQ(scene.frame(), SKIPPED);
}

TEST(RedrawGate, UpdateDialogComposesForEveryAnswer) {
  Scene scene;
  const OtaManifest manifest{"1.0.2", "ZENTOMI", "Sửa lỗi", "https://host/z.zip", 1.5f, {}};
  scene.state.screen = Screen::Update;
  scene.state.update.update_manifest = manifest;
  scene.state.update.update_status = update_status::Downloading{};
  EXPECT_EQ(scene.frame(), COMPOSED);

  EXPECT_EQ(scene.apply(UpdateCheckResult{std::optional<OtaManifest>(manifest)}), RECOMPOSED)
      << "a check answering while the install runs leaves the dialog as it is";
  EXPECT_EQ(scene.apply(UpdateInstallResult{update_status::Failed{"hết chỗ trống"}}), COMPOSED);
}

TEST(RedrawGate, AScreenIsComposedOnceASecondOnlyWhileItChangesWithTime) {
  Scene scene;
  scene.state.home.all_items = scene.state.home.source_items = scene.state.home.displayed_items =
      titles(3);
  ASSERT_TRUE(scene.frame().composed);
  const auto composed_in_three_seconds = [&scene] {
    int composed = 0;
    for (int i = 0; i < 180; ++i)  // at 60 frames a second
      composed += scene.frame().composed ? 1 : 0;
    return composed;
  };
  EXPECT_EQ(composed_in_three_seconds(), 0) << "a still screen";
  scene.timed = true;
  EXPECT_EQ(composed_in_three_seconds(), 3) << "the first timed frame, then every full second";
  scene.timed = false;
  EXPECT_EQ(composed_in_three_seconds(), 1) << "the frame that ends the timed spell";
  scene.timed = true;

  // The heartbeat counts from the last composed frame, whatever composed it.
  scene.advance(std::chrono::milliseconds(900));
  ASSERT_TRUE(scene.press(Button::Right).composed);
  scene.advance(std::chrono::milliseconds(900));
  EXPECT_FALSE(scene.frame().composed);
  scene.advance(RedrawGate::HEARTBEAT);
  EXPECT_TRUE(scene.frame().composed);
}

TEST(RedrawGate, AlwaysModeComposesEveryFrame) {
  Scene scene;
  scene.gate = RedrawGate(RedrawMode::Always);
  for (int i = 0; i < 5; ++i)
    EXPECT_TRUE(scene.frame().composed);
  EXPECT_EQ(redraw_mode_from("1"), RedrawMode::Always);
  EXPECT_EQ(redraw_mode_from("0"), RedrawMode::WhenChanged);
  EXPECT_EQ(redraw_mode_from(std::nullopt), RedrawMode::WhenChanged);
}

}  // namespace
}  // namespace zentomi
