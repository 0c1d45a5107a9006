#include "app/job_runner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "app/job_table.hpp"
#include "model/overloaded.hpp"
#include "support/fake_curl.hpp"
#include "support/receive_within.hpp"

namespace zentomi {
namespace {

// Blocks job threads until the test opens it.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  void wait() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return open; });
  }
  void release() {
    {
      std::lock_guard lock(mutex);
      open = true;
    }
    changed.notify_all();
  }
};

using testing::receive_within;

TEST(ThreadJobRunner, RunsEachJobOnItsOwnThreadAndCountsItUntilItHasReported) {
  auto [sender, receiver] = Channel<WorkerResult>::create();
  auto gate = std::make_shared<Gate>();
  ThreadJobRunner runner(
      sender, [gate](const JobRequest& request, const JobControl&) -> std::optional<WorkerResult> {
        gate->wait();
        // Home listings have no lane, so both run at once; each answers with its own number.
        static std::atomic<int> number{0};
        (void)request;
        return HomeLoaded{std::unexpected(std::to_string(++number))};
      });
  runner.start(job::HomeListing{});
  runner.start(job::HomeListing{});
  EXPECT_EQ(runner.in_flight(), 2u);
  EXPECT_TRUE(receiver.empty());
  gate->release();

  std::vector<std::string> queries;
  for (int i = 0; i < 2; ++i) {
    auto result = receive_within(receiver, std::chrono::seconds(10));
    ASSERT_TRUE(result.has_value());
    queries.push_back(std::get<HomeLoaded>(*result).result.error());
  }
  std::sort(queries.begin(), queries.end());
  EXPECT_EQ(queries, (std::vector<std::string>{"1", "2"}));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (runner.in_flight() != 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::yield();
  }
  EXPECT_EQ(runner.in_flight(), 0u);
}

TEST(ThreadJobRunner, AJobWithNothingToSaySendsNothing) {
  auto [sender, receiver] = Channel<WorkerResult>::create();
  ThreadJobRunner runner(
      sender, [](const JobRequest&, const JobControl&) { return std::optional<WorkerResult>{}; });
  runner.start(job::UpdateCheck{});
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (runner.in_flight() != 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::yield();
  }
  EXPECT_EQ(runner.in_flight(), 0u);
  EXPECT_TRUE(receiver.empty());
}

void wait_until_running(const std::atomic<int>& running, int count) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (running.load() < count && std::chrono::steady_clock::now() < end)
    std::this_thread::yield();
}

template <typename Variant, typename Alternative>
std::size_t variant_index() {
  return Variant(Alternative{}).index();
}

void wait_until_settled(const ThreadJobRunner& runner) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (runner.in_flight() != 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::yield();
  }
}

TEST(ThreadJobRunner, AJobThatThrowsStillSendsItsOneResultWithTheError) {
  auto [sender, receiver] = Channel<WorkerResult>::create();
  ThreadJobRunner runner(
      sender, [](const JobRequest& request, const JobControl&) -> std::optional<WorkerResult> {
        if (std::holds_alternative<job::Install>(request)) throw 42;
        throw std::runtime_error("boom");
      });
  const std::unexpected<std::string> boom("Internal error: boom");
  ::testing::internal::CaptureStderr();
  for (const JobRequest& request :
       std::vector<JobRequest>{job::HomeListing{}, job::Detail{"d"}, job::ChapterPages{"c"},
                               job::PageImage{"p", 7, "c"}, job::UpdateCheck{},
                               job::Install{OtaManifest{}}, job::Search{"q"}, job::LocalScan{},
                               job::FavouritesCheck{{{"u", ""}}, 5}, job::Download{}}) {
    runner.start(request);
    auto result = receive_within(receiver, std::chrono::seconds(10));
    ASSERT_TRUE(result.has_value()) << job_name(request);
    // A check reports as it goes before its end, which comes last of the results.
    std::size_t own_kind = request.index();
    if (std::holds_alternative<job::FavouritesCheck>(request))
      own_kind = variant_index<WorkerResult, FavouritesCheckEnded>();
    if (std::holds_alternative<job::Download>(request))
      own_kind = variant_index<WorkerResult, DownloadProgress>();
    EXPECT_EQ(result->index(), own_kind) << "a result of the job's own kind";
    std::visit(
        Overloaded{
            [&](const HomeLoaded& loaded) { EXPECT_EQ(loaded.result, boom); },
            [&](const DetailLoaded& loaded) { EXPECT_EQ(loaded.result.error(), boom.error()); },
            [&](const PagesLoaded& loaded) { EXPECT_EQ(loaded.result, boom); },
            [&](const PageImageLoaded& loaded) {
              EXPECT_EQ(loaded.result.error(), boom.error());
              EXPECT_EQ(loaded.page_index, 7u);
            },
            [&](const UpdateCheckResult& checked) { EXPECT_EQ(checked.result, boom); },
            [&](const UpdateInstallResult& installed) {
              EXPECT_EQ(installed.status,
                        UpdateStatus(update_status::Failed{"Internal error: unknown error"}));
            },
            [&](const SearchLoaded& loaded) {
              EXPECT_EQ(loaded.result, boom);
              EXPECT_EQ(loaded.query, "q");
            },
            [&](const LocalScanned& scanned) { EXPECT_EQ(scanned.result, boom); },
            [&](const FavouriteRefreshed&) { ADD_FAILURE() << "no progress from a failed check"; },
            [&](const FavouritesCheckEnded& ended) {
              EXPECT_EQ(ended.failure, boom.error());
              EXPECT_EQ(ended.request, 5u);
            },
            // The queue stopped: the job is on no chapter any more.
            [&](const DownloadProgress& progress) { EXPECT_EQ(progress, DownloadProgress{}); },
        },
        *result);
  }
  wait_until_settled(runner);
  EXPECT_EQ(runner.in_flight(), 0u);
  EXPECT_TRUE(receiver.empty()) << "one result per job";
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("[App] Job PageImage stopped by an error: boom\n"), std::string::npos) << log;
}

// Holding Right over many pages: at most two page downloads at once, and of the pages asked for
// meanwhile only the newest is fetched; the ones overtaken know it, so they skip their decoding.
TEST(ThreadJobRunner, PagesRunTwoAtATimeAndOnlyTheNewestWaitingOneIsKept) {
  auto [sender, receiver] = Channel<WorkerResult>::create();
  auto gate = std::make_shared<Gate>();
  auto running = std::make_shared<std::atomic<int>>(0);
  auto most_running = std::make_shared<std::atomic<int>>(0);
  auto superseded = std::make_shared<std::vector<std::size_t>>();
  auto superseded_mutex = std::make_shared<std::mutex>();
  ThreadJobRunner runner(
      sender,
      [=](const JobRequest& request, const JobControl& control) -> std::optional<WorkerResult> {
        const int now = ++*running;
        int most = most_running->load();
        while (now > most && !most_running->compare_exchange_weak(most, now)) {
        }
        gate->wait();
        const auto& page = std::get<job::PageImage>(request);
        if (control.superseded()) {
          const std::scoped_lock lock(*superseded_mutex);
          superseded->push_back(page.index);
        }
        --*running;
        return PageImageLoaded{std::unexpected(page.url), page.index, page.chapter_url,
                               page.request};
      });
  // The first two are running before the others come, so neither is skipped unstarted.
  for (std::size_t index = 0; index < 2; ++index) {
    runner.start(job::PageImage{"u", index, "c", index});
    wait_until_running(*running, static_cast<int>(index) + 1);
  }
  for (std::size_t index = 2; index < 50; ++index)
    runner.start(job::PageImage{"u", index, "c", index});
  EXPECT_EQ(runner.in_flight(), 3u) << "two running, the newest waiting";
  gate->release();

  std::vector<std::size_t> answered;
  for (int i = 0; i < 3; ++i) {
    auto result = receive_within(receiver, std::chrono::seconds(10));
    ASSERT_TRUE(result.has_value());
    answered.push_back(std::get<PageImageLoaded>(*result).page_index);
  }
  wait_until_settled(runner);
  EXPECT_EQ(runner.in_flight(), 0u);
  EXPECT_TRUE(receiver.empty());
  std::sort(answered.begin(), answered.end());
  EXPECT_EQ(answered, (std::vector<std::size_t>{0, 1, 49}));
  EXPECT_LE(most_running->load(), 2);
  std::sort(superseded->begin(), superseded->end());
  EXPECT_EQ(*superseded, (std::vector<std::size_t>{0, 1}));
}

// A title's details may hold a chapter list of many megabytes: one at a time, the newest waiting.
TEST(ThreadJobRunner, TitleDetailsRunOneAtATime) {
  auto [sender, receiver] = Channel<WorkerResult>::create();
  auto gate = std::make_shared<Gate>();
  auto running = std::make_shared<std::atomic<int>>(0);
  ThreadJobRunner runner(
      sender,
      [gate, running](const JobRequest& request, const JobControl&) -> std::optional<WorkerResult> {
        ++*running;
        gate->wait();
        const auto& detail = std::get<job::Detail>(request);
        return DetailLoaded{std::unexpected(std::string("x")), detail.url};
      });
  runner.start(job::Detail{"a"});
  wait_until_running(*running, 1);
  for (const char* url : {"b", "c", "d"})
    runner.start(job::Detail{url});
  EXPECT_EQ(runner.in_flight(), 2u) << "one running, the newest waiting";
  gate->release();
  std::vector<std::string> answered;
  for (int i = 0; i < 2; ++i) {
    auto result = receive_within(receiver, std::chrono::seconds(10));
    ASSERT_TRUE(result.has_value());
    answered.push_back(std::get<DetailLoaded>(*result).url);
  }
  wait_until_settled(runner);
  EXPECT_TRUE(receiver.empty());
  EXPECT_EQ(answered, (std::vector<std::string>{"a", "d"}));
}

// Only the newest search is shown: one runs, the newest waits, and the one running learns that it
// has been replaced, so its answer can be let go.
TEST(ThreadJobRunner, SearchesRunOneAtATimeAndKnowWhenReplaced) {
  auto [sender, receiver] = Channel<WorkerResult>::create();
  auto gate = std::make_shared<Gate>();
  auto replaced = std::make_shared<std::vector<std::string>>();
  auto running = std::make_shared<std::atomic<bool>>(false);
  ThreadJobRunner runner(
      sender,
      [gate, replaced, running](const JobRequest& request,
                                const JobControl& control) -> std::optional<WorkerResult> {
        running->store(true);
        gate->wait();
        const auto& search = std::get<job::Search>(request);
        if (control.superseded()) replaced->push_back(search.query);
        return SearchLoaded{std::vector<MangaItem>{}, search.query};
      });
  // The first search is running before the others come, so it is not overtaken before it starts.
  runner.start(job::Search{"a"});
  const auto started_by = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!running->load() && std::chrono::steady_clock::now() < started_by)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  for (const char* query : {"b", "c", "d"})
    runner.start(job::Search{query});
  EXPECT_EQ(runner.in_flight(), 2u) << "one running, the newest waiting";
  gate->release();
  std::vector<std::string> answered;
  for (int i = 0; i < 2; ++i) {
    auto result = receive_within(receiver, std::chrono::seconds(10));
    ASSERT_TRUE(result.has_value());
    answered.push_back(std::get<SearchLoaded>(*result).query);
  }
  wait_until_settled(runner);
  EXPECT_EQ(answered, (std::vector<std::string>{"a", "d"}));
  EXPECT_EQ(*replaced, (std::vector<std::string>{"a"}));
}

// Spawned bodies wait here until the test runs them, so requests can overtake one another first.
struct DeferredThreads {
  std::vector<std::function<void()>> bodies;
  ThreadJobRunner::Options options(ThreadJobRunner::KindOf kind_of = job_kind) {
    return {std::move(kind_of),
            [this](std::string_view, std::function<void()> body) { bodies.push_back(body); }};
  }
  void run_all() {
    for (std::size_t i = 0; i < bodies.size(); ++i)
      bodies[i]();
  }
};

// Every lane: a job overtaken before its thread ran is not run at all, the newest is.
TEST(ThreadJobRunner, ALaneJobOvertakenBeforeItStartsDoesNotRun) {
  for (const auto& [first, second] : std::vector<std::pair<JobRequest, JobRequest>>{
           {job::Detail{"a"}, job::Detail{"b"}},
           {job::ChapterPages{"a", 1}, job::ChapterPages{"b", 2}},
           {job::PageImage{"a", 0, "c", 1}, job::PageImage{"b", 1, "c", 2}}}) {
    auto [sender, receiver] = Channel<WorkerResult>::create();
    std::vector<std::string> ran;
    DeferredThreads threads;
    ThreadJobRunner runner(
        sender,
        [&ran](const JobRequest& request, const JobControl&) -> std::optional<WorkerResult> {
          ran.push_back(std::visit(
              [](const auto& r) -> std::string {
                if constexpr (requires { r.url; }) return r.url;
                return "";
              },
              request));
          return std::nullopt;
        },
        threads.options());
    runner.start(first);
    // PageImage's lane holds two: a third request overtakes both.
    if (std::holds_alternative<job::PageImage>(first)) runner.start(first);
    runner.start(second);
    threads.run_all();
    EXPECT_EQ(ran, (std::vector<std::string>{"b"})) << job_name(first);
    EXPECT_EQ(runner.in_flight(), 0u);
  }
}

struct Superseded final : JobControl {
  bool superseded() const override { return true; }
  bool report(WorkerResult) const override { return false; }
};

// A title or a search the user replaced before its job ran fetches nothing and sends nothing.
TEST(JobTable, ASupersededDetailOrSearchFetchesNothingAndSendsNothing) {
  const testing::FakeCurl curl;
  for (const JobRequest& request : {JobRequest(job::Detail{"https://site.test/truyen-tranh/a"}),
                                    JobRequest(job::Search{"a"})}) {
    EXPECT_EQ(run_job(request, JobEnvironment{}, Superseded{}), std::nullopt) << job_name(request);
  }
  EXPECT_TRUE(curl.command_lines().empty());
}

// A long job reports progress as it goes; only its reports count as activity for settle.
TEST(ThreadJobRunner, ALongJobReportsProgressAndIsNotCountedInFlight) {
  auto [sender, receiver] = Channel<WorkerResult>::create();
  DeferredThreads threads;
  const auto long_checks = [](const JobRequest& request) {
    JobKind kind = job_kind(request);
    kind.long_running = std::holds_alternative<job::UpdateCheck>(request);
    return kind;
  };
  ThreadJobRunner runner(
      sender,
      [](const JobRequest& request, const JobControl& control) -> std::optional<WorkerResult> {
        if (!std::holds_alternative<job::UpdateCheck>(request)) return std::nullopt;
        for (const char* step : {"1/3", "2/3"})
          EXPECT_TRUE(control.report(UpdateCheckResult{std::unexpected(std::string(step))}));
        return UpdateCheckResult{std::unexpected(std::string("3/3"))};
      },
      threads.options(long_checks));
  runner.start(job::UpdateCheck{});
  runner.start(job::HomeListing{});
  EXPECT_EQ(runner.in_flight(), 1u) << "the listing only";
  threads.run_all();
  std::vector<std::string> received;
  while (auto result = receiver.try_receive()) {
    if (auto* checked = std::get_if<UpdateCheckResult>(&*result))
      received.push_back(checked->result.error());
  }
  EXPECT_EQ(received, (std::vector<std::string>{"1/3", "2/3", "3/3"}));
  EXPECT_EQ(runner.in_flight(), 0u);
}

}  // namespace
}  // namespace zentomi
