#include "screens/common/backdrop.hpp"

#include <algorithm>
#include <utility>

namespace zentomi {

// Passes every question on to the services and notes it with its answer.
class Backdrop::Recorder final : public LayoutServices {
 public:
  Recorder(LayoutServices& services, std::vector<Answer>& answers)
      : services_(services), answers_(answers) {}

  bool is_favorite(std::string_view url) override {
    Answer& answer = note(Answer::Kind::Favourite, url);
    answer.favourite = services_.is_favorite(url);
    return answer.favourite;
  }
  SharedImage get_thumbnail(std::string_view url) override {
    SharedImage cover = services_.get_thumbnail(url);
    note(Answer::Kind::Cover, url).cover = cover;
    return cover;
  }
  ChapterDownloadStatus download_status(std::string_view chapter_url) override {
    Answer& answer = note(Answer::Kind::Download, chapter_url);
    answer.download = services_.download_status(chapter_url);
    return answer.download;
  }
  DownloadSummary download_summary() override {
    Answer& answer = note(Answer::Kind::Summary, {});
    answer.summary = services_.download_summary();
    return answer.summary;
  }
  std::optional<std::string> download_stop_message() override {
    Answer& answer = note(Answer::Kind::StopMessage, {});
    answer.stop_message = services_.download_stop_message();
    return answer.stop_message;
  }

 private:
  Answer& note(Answer::Kind kind, std::string_view argument) {
    Answer& answer = answers_.emplace_back();
    answer.kind = kind;
    answer.argument = argument;
    return answer;
  }

  LayoutServices& services_;
  std::vector<Answer>& answers_;
};

bool Backdrop::matches(const AppState& state, int kind, const Canvas& canvas) const {
  return stamp_ && stamp_->kind == kind && stamp_->width == canvas.width() &&
         stamp_->height == canvas.height() && stamp_->home == state.home &&
         stamp_->news == state.news && stamp_->opened_item == state.details.current_item &&
         stamp_->opened_history == state.details.current_history &&
         stamp_->update_status == state.update.update_status &&
         stamp_->download_progress == state.download_progress;
}

// Asking again also asks for the covers still missing, as drawing the picture would.
bool Backdrop::same_answers(LayoutServices& services) const {
  return std::all_of(answers_.begin(), answers_.end(), [&services](const Answer& answer) {
    switch (answer.kind) {
      case Answer::Kind::Favourite:
        return services.is_favorite(answer.argument) == answer.favourite;
      case Answer::Kind::Cover: {
        const SharedImage cover = services.get_thumbnail(answer.argument);
        return !cover.owner_before(answer.cover) && !answer.cover.owner_before(cover);
      }
      case Answer::Kind::Download:
        return services.download_status(answer.argument) == answer.download;
      case Answer::Kind::Summary:
        return services.download_summary() == answer.summary;
      case Answer::Kind::StopMessage:
        return services.download_stop_message() == answer.stop_message;
    }
    return false;
  });
}

void Backdrop::forget() {
  stamp_.reset();
  answers_.clear();
  picture_ = Canvas(0, 0);
}

void Backdrop::draw(Renderer& renderer, const AppState& state, LayoutServices& services, int kind,
                    ScreenRect hole, const Compose& compose) {
  Canvas& canvas = renderer.canvas;
  if (!matches(state, kind, canvas) || !same_answers(services)) {
    forget();
    picture_ = Canvas(canvas.width(), canvas.height());
    Renderer composing{picture_, renderer.font};
    Recorder recorder(services, answers_);
    compose(composing, recorder);
    darken_screen(picture_);
    stamp_ = Stamp{kind,
                   canvas.width(),
                   canvas.height(),
                   state.home,
                   state.news,
                   state.details.current_item,
                   state.details.current_history,
                   state.update.update_status,
                   state.download_progress};
  }
  // Rows the hole does not reach are copied whole; the others on both sides of it.
  const int width = canvas.width();
  const int hole_top = std::clamp(hole.y, 0, canvas.height());
  const int hole_bottom = std::clamp(hole.y + std::max(hole.h, 0), hole_top, canvas.height());
  const int hole_left = std::clamp(hole.x, 0, width);
  const int hole_right = std::clamp(hole.x + std::max(hole.w, 0), hole_left, width);
  const auto copy = [&](int row, int begin, int end) {
    const std::size_t at = static_cast<std::size_t>(row) * width + begin;
    copy_pixels(canvas.data() + at, picture_.data() + at, static_cast<std::size_t>(end - begin));
  };
  // Whole rows lie end to end: one copy for the lot.
  const auto copy_rows = [&](int first, int end) {
    if (first < end) copy(first, 0, width * (end - first));
  };
  copy_rows(0, hole_top);
  for (int row = hole_top; row < hole_bottom; ++row) {
    copy(row, 0, hole_left);
    copy(row, hole_right, width);
  }
  copy_rows(hole_bottom, canvas.height());
}

}  // namespace zentomi
