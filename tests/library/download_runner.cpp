// Runs the download worker with the product's services on the queue file of a data folder until
// the queue is empty, then prints "done"; for the test that kills it at random moments.
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/download_services.hpp"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  zentomi::Downloads downloads(argv[1]);
  const zentomi::DownloadServices services = zentomi::site_download_services();
  std::thread worker([&] { zentomi::run_download_worker(downloads, services); });
  // The queue file is read by the worker: wait for that, then for the queue to empty.
  while (downloads.version() == 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  while (downloads.summary().waiting > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  downloads.stop();
  worker.join();
  std::puts("done");
  return 0;
}
