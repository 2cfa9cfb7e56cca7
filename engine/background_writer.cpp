#include "engine/background_writer.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace delvaro {

namespace {

// How long a thread with nothing to do keeps looking before it sleeps.
// Longer than the reader takes for a batch: a thread that sleeps has to be
// woken, and the system may then move it onto the other thread's processor,
// where the two would take turns instead of running side by side.
constexpr auto kLookingTime = std::chrono::milliseconds(2);

}  // namespace

BackgroundBaselineWriter::BackgroundBaselineWriter(FILE* out, EllipsoidParams ellipsoid,
                                                   const char* stationDescription)
    : m_out(out), m_ellipsoid(ellipsoid), m_stationDescription(stationDescription) {}

BackgroundBaselineWriter::~BackgroundBaselineWriter() {
    Position ignored;
    Finish(&ignored);
}

void BackgroundBaselineWriter::Start() {
    m_started = true;
    // Without memory or a thread the baselines go on being written at once,
    // which gives the same output and the same outcome.
    try {
        m_jobs = std::make_unique<Job[]>(kCapacity);
        m_thread = std::thread(&BackgroundBaselineWriter::WriteJobs, this);
        m_threaded = true;
    } catch (const std::exception&) {
        m_jobs.reset();
    }
}

bool BackgroundBaselineWriter::WriteNow(const Baseline& baseline, Position position) {
    // No other thread runs here.
    if (m_failed.load(std::memory_order_relaxed)) return false;
    Status status = kStatusOk;
    WriteBaseline(baseline, m_ellipsoid, m_stationDescription, m_out, &status);
    ++m_writtenNow;
    if (status == kStatusOk) return true;
    m_failedAt = position;
    m_failed.store(true, std::memory_order_relaxed);
    return false;
}

template <class Ready>
void BackgroundBaselineWriter::WaitUntil(const Ready& ready, std::atomic<bool>& sleeping) {
    const auto giveUp = std::chrono::steady_clock::now() + kLookingTime;
    while (!ready()) {
        if (std::chrono::steady_clock::now() < giveUp) {
            // Lets other work run here, but stays ready to run.
            std::this_thread::yield();
            continue;
        }
        // Saying so before the last look, under the lock that the waking
        // side takes: either this look sees the change, or the other side
        // sees the flag and its notification finds this thread waiting.
        std::unique_lock<std::mutex> lock(m_mutex);
        sleeping.store(true);
        m_changed.wait(lock, ready);
        sleeping.store(false);
        return;
    }
}

void BackgroundBaselineWriter::Wake(const std::atomic<bool>& sleeping) {
    if (!sleeping.load()) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_changed.notify_all();
}

void BackgroundBaselineWriter::HandOver() {
    m_available.store(m_taken);
    m_offered = m_taken;
    Wake(m_writerSleeping);
}

bool BackgroundBaselineWriter::Write(const Baseline& baseline, Position position) {
    // A small file is written at once: a thread would cost more than it
    // saves. From the kWrittenFirst-th baseline on, the thread takes over.
    if (!m_threaded) {
        if (m_writtenNow < kWrittenFirst || m_started || m_failed.load(std::memory_order_relaxed))
            return WriteNow(baseline, position);
        Start();
        if (!m_threaded) return WriteNow(baseline, position);
    }

    if (m_taken - m_done.load() == kCapacity) {
        // The ring is full: everything goes to the writer, and the reader
        // waits for a free place.
        HandOver();
        WaitUntil([&] { return m_taken - m_done.load() < kCapacity || m_failed.load(); },
                  m_readerSleeping);
    }
    if (m_failed.load()) return false;
    Job& job = m_jobs[m_taken % kCapacity];
    job.baseline = baseline;
    job.located = m_taken - m_done.load(std::memory_order_relaxed) >= kLagging;
    if (job.located) LocateStations(baseline, m_ellipsoid, job.stations);
    job.position = position;
    ++m_taken;
    if (m_taken - m_offered >= kBatch) HandOver();
    return true;
}

void BackgroundBaselineWriter::WriteJobs() {
    size_t next = 0;
    for (;;) {
        size_t available = next;
        // The closing flag first: once it is seen, the last hand-over,
        // made before it, is seen too.
        WaitUntil(
            [&] {
                const bool closing = m_closing.load();
                available = m_available.load();
                return available != next || closing;
            },
            m_writerSleeping);
        if (available == next) return;  // closing, and all is written
        // A batch at a time, so that the reader learns of free places.
        const size_t end = std::min(available, next + kBatch);
        for (; next < end; ++next) {
            Job& job = m_jobs[next % kCapacity];
            if (!job.located) LocateStations(job.baseline, m_ellipsoid, job.stations);
            Status status = kStatusOk;
            WriteLocatedBaseline(job.baseline, job.stations, m_stationDescription, m_out, &status);
            if (status != kStatusOk) {
                // Nothing after a failed write is written.
                m_failedAt = job.position;
                m_failed.store(true);
                Wake(m_readerSleeping);
                return;
            }
        }
        m_done.store(next);
        Wake(m_readerSleeping);
    }
}

bool BackgroundBaselineWriter::Finish(Position* failedAt) {
    if (m_thread.joinable()) {
        HandOver();
        m_closing.store(true);
        Wake(m_writerSleeping);
        m_thread.join();
    }
    if (m_failed.load()) *failedAt = m_failedAt;
    return !m_failed.load();
}

}  // namespace delvaro
