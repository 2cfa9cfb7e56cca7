// Writing a file's baselines on a second thread while its reading goes on.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "common/engine_types.h"
#include "engine/output_writer.h"

namespace delvaro {

// Writes baselines as WriteBaseline does, in the order they are handed
// over: the first few at once, on the caller's thread, the rest of a large
// file on a thread of its own when one can be had. The geodetic positions
// are computed by whichever thread has less to do: by the reader while the
// writer lags behind, by the writer otherwise.
//
// Each baseline carries the reader's position when it was handed over.
// When a write fails, nothing after it is written, and that position is
// where the reader is to stand: as if it had written the baseline itself
// the moment it was complete, and stopped at the failure. Between the first
// Write and Finish only the writer touches the output stream.
class BackgroundBaselineWriter {
  public:
    struct Position {
        int32_t lineNumber = 0;
        int32_t baselineCount = 0;
    };

    // `stationDescription` must outlive the writer.
    BackgroundBaselineWriter(FILE* out, EllipsoidParams ellipsoid, const char* stationDescription);
    ~BackgroundBaselineWriter();
    BackgroundBaselineWriter(const BackgroundBaselineWriter&) = delete;
    BackgroundBaselineWriter& operator=(const BackgroundBaselineWriter&) = delete;

    // Hands over a copy of `baseline`. False when a write is known to have
    // failed; nothing more is taken then.
    bool Write(const Baseline& baseline, Position position);

    // Waits until every baseline handed over has been written; nothing is
    // handed over after it. True when all were written; otherwise
    // `failedAt` receives the position of the one whose write failed
    // (status 5020).
    bool Finish(Position* failedAt);

  private:
    struct Job {
        Baseline baseline;
        bool located = false;  // stations computed by the reader
        GeodeticPosition stations[2];
        Position position;
    };
    // Baselines written at once before the thread starts; jobs in flight at
    // most (the ring stays within a core's second-level cache); jobs handed
    // over at once.
    static constexpr size_t kWrittenFirst = 64;
    static constexpr size_t kCapacity = 1024;
    static constexpr size_t kBatch = 128;
    // Jobs in flight from which the writer counts as lagging behind.
    static constexpr size_t kLagging = 3 * kBatch;

    void Start();
    bool WriteNow(const Baseline& baseline, Position position);
    void WriteJobs();
    void HandOver();
    template <class Ready>
    void WaitUntil(const Ready& ready, std::atomic<bool>& sleeping);
    void Wake(const std::atomic<bool>& sleeping);

    FILE* m_out;
    EllipsoidParams m_ellipsoid;
    const char* m_stationDescription;
    bool m_started = false;
    bool m_threaded = false;
    size_t m_writtenNow = 0;        // baselines written on the caller's thread
    std::unique_ptr<Job[]> m_jobs;  // a ring of kCapacity
    std::thread m_thread;

    // The reader's side.
    size_t m_taken = 0;    // jobs filled
    size_t m_offered = 0;  // jobs last handed over

    // Shared between the two threads.
    std::atomic<size_t> m_available{0};  // jobs the writer may take
    std::atomic<size_t> m_done{0};       // jobs the writer is done with
    std::atomic<bool> m_closing{false};  // no more jobs come
    std::atomic<bool> m_failed{false};   // m_failedAt is set before
    Position m_failedAt;
    // A thread that found nothing to do for a while sleeps on m_changed,
    // and says so, so that the other one wakes it.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::atomic<bool> m_writerSleeping{false};
    std::atomic<bool> m_readerSleeping{false};
};

}  // namespace delvaro
