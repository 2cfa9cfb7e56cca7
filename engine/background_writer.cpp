#include "engine/background_writer.h"

#include <algorithm>
#include <exception>

namespace delvaro {

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
    // No other thread runs here: the flags need no lock.
    if (m_failed) return false;
    Status status = kStatusOk;
    WriteBaseline(baseline, m_ellipsoid, m_stationDescription, m_out, &status);
    ++m_writtenNow;
    if (status == kStatusOk) return true;
    m_failed = true;
    m_failedAt = position;
    return false;
}

bool BackgroundBaselineWriter::Write(const Baseline& baseline, Position position) {
    // A small file is written at once: a thread would cost more than it
    // saves. From the kWrittenFirst-th baseline on, the thread takes over.
    if (!m_threaded) {
        if (m_writtenNow < kWrittenFirst || m_started || m_failed)
            return WriteNow(baseline, position);
        Start();
        if (!m_threaded) return WriteNow(baseline, position);
    }

    if (m_taken - m_doneSeen == kCapacity) {
        // The ring is full: everything goes to the writer, and the reader
        // waits for a free place.
        std::unique_lock<std::mutex> lock(m_mutex);
        m_available = m_taken;
        m_offered = m_taken;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_taken - m_done < kCapacity || m_failed; });
        m_doneSeen = m_done;
        if (m_failed) return false;
    }
    Job& job = m_jobs[m_taken % kCapacity];
    job.baseline = baseline;
    LocateStations(baseline, m_ellipsoid, job.stations);
    job.position = position;
    ++m_taken;
    if (m_taken - m_offered < kBatch) return true;

    bool failed = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_available = m_taken;
        m_doneSeen = m_done;
        failed = m_failed;
    }
    m_offered = m_taken;
    m_changed.notify_all();
    return !failed;
}

void BackgroundBaselineWriter::WriteJobs() {
    size_t next = 0;
    for (;;) {
        size_t end = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_done = next;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_available > next || m_closing; });
            if (m_available == next) return;  // closing, and all is written
            // A batch at a time, so that the reader learns of free places.
            end = std::min(m_available, next + kBatch);
        }
        for (; next < end; ++next) {
            const Job& job = m_jobs[next % kCapacity];
            Status status = kStatusOk;
            WriteLocatedBaseline(job.baseline, job.stations, m_stationDescription, m_out, &status);
            if (status != kStatusOk) {
                // Nothing after a failed write is written.
                std::lock_guard<std::mutex> lock(m_mutex);
                m_failed = true;
                m_failedAt = job.position;
                m_done = next + 1;
                m_changed.notify_all();
                return;
            }
        }
    }
}

bool BackgroundBaselineWriter::Finish(Position* failedAt) {
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_available = m_taken;
            m_closing = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    if (m_failed) *failedAt = m_failedAt;
    return !m_failed;
}

}  // namespace delvaro
