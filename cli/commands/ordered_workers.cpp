#include "commands/ordered_workers.h"

#include <algorithm>
#include <vector>

// MinGW's standard library of the win32 thread model has no threads: there
// the jobs run one after the other on the calling thread.
#if !defined(__GLIBCXX__) || defined(_GLIBCXX_HAS_GTHREADS)
#define TKCLI_HAVE_THREADS 1
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#else
#define TKCLI_HAVE_THREADS 0
#endif

namespace tkcli {

namespace {

#if TKCLI_HAVE_THREADS

// The shared state: each job's pieces not yet written, and which jobs are
// done.
class Board {
public:
    Board(size_t count, unsigned workers, size_t waitingLimit)
        : jobs_(count), workers_(workers), waitingLimit_(waitingLimit) {}

    // The next job for a worker, or count once none is left to start.
    size_t take() {
        std::unique_lock lock(mutex_);
        startable_.wait(lock, [&] { return stopped_ || next_ == jobs_.size() || next_ < head_ + workers_; });
        if (stopped_ || next_ == jobs_.size()) return jobs_.size();
        return next_++;
    }

    // A job ahead of the one being written waits here while it holds the
    // most it may; the job being written never does, so the jobs before a
    // waiting one finish and its turn comes.
    bool hand(size_t job, OutputPiece piece) {
        std::unique_lock lock(mutex_);
        Job &handing = jobs_[job];
        turn_.wait(lock, [&] { return stopped_ || job == head_ || handing.bytes < waitingLimit_; });
        if (stopped_) return false;
        handing.bytes += piece.text.size();
        handing.pieces.push_back(std::move(piece));
        if (job == head_) written_.notify_one();
        return true;
    }

    void finish(size_t job) {
        std::lock_guard lock(mutex_);
        jobs_[job].done = true;
        if (job == head_) written_.notify_one();
    }

    // Writes every piece in job order on the calling thread.
    void writeAll(const std::function<bool(size_t, OutputPiece &)> &write) {
        std::unique_lock lock(mutex_);
        while (head_ < jobs_.size() && !(stopped_ && head_ >= next_)) {
            written_.wait(lock, [&] { return !jobs_[head_].pieces.empty() || jobs_[head_].done; });
            Job &job = jobs_[head_];
            if (job.pieces.empty()) {
                ++head_;
                startable_.notify_all();
                turn_.notify_all();
                continue;
            }
            OutputPiece piece = std::move(job.pieces.front());
            job.pieces.pop_front();
            const bool stopped = stopped_;
            const size_t index = head_;
            lock.unlock();
            const bool written = stopped || write(index, piece);
            lock.lock();
            if (!written) {
                stopped_ = true;
                startable_.notify_all();
                turn_.notify_all();
            }
        }
    }

private:
    struct Job {
        std::deque<OutputPiece> pieces;
        size_t bytes = 0;  // of the texts handed; its pieces are written only once it is the head
        bool done = false;
    };

    std::mutex mutex_;
    std::condition_variable startable_;
    std::condition_variable written_;
    std::condition_variable turn_;  // the job being written changed, or all stop
    std::vector<Job> jobs_;
    unsigned workers_;
    size_t waitingLimit_;
    size_t next_ = 0;
    size_t head_ = 0;
    bool stopped_ = false;
};

class JobSink final : public PieceSink {
public:
    JobSink(Board &board, size_t job) : board_(board), job_(job) {}
    bool hand(OutputPiece piece) override { return board_.hand(job_, std::move(piece)); }

private:
    Board &board_;
    size_t job_;
};

#else

// Hands every piece straight to the writer.
class DirectSink final : public PieceSink {
public:
    DirectSink(const std::function<bool(size_t, OutputPiece &)> &write, size_t job) : write_(write), job_(job) {}
    bool hand(OutputPiece piece) override {
        if (!stopped_) stopped_ = !write_(job_, piece);
        return !stopped_;
    }
    bool stopped() const { return stopped_; }

private:
    const std::function<bool(size_t, OutputPiece &)> &write_;
    size_t job_;
    bool stopped_ = false;
};

#endif

}  // namespace

#if TKCLI_HAVE_THREADS

bool jobsRunTogether() { return true; }

struct StretchScans::State {
    std::mutex mutex;
    std::condition_variable published;
    std::vector<StretchScan> scans;
    std::vector<bool> set;
};

StretchScans::StretchScans(size_t count) : state_(std::make_unique<State>()) {
    state_->scans.resize(count);
    state_->set.resize(count);
}

StretchScans::~StretchScans() = default;

void StretchScans::publish(size_t stretch, const StretchScan &scan) {
    std::lock_guard lock(state_->mutex);
    if (state_->set[stretch]) return;
    state_->scans[stretch] = scan;
    state_->set[stretch] = true;
    state_->published.notify_all();
}

StretchScan StretchScans::wait(size_t stretch) {
    std::unique_lock lock(state_->mutex);
    state_->published.wait(lock, [&] { return state_->set[stretch]; });
    return state_->scans[stretch];
}

unsigned defaultWorkerCount() { return std::max(1u, std::thread::hardware_concurrency()); }

void runOrdered(size_t count, unsigned workers, const std::function<void(size_t, PieceSink &)> &job,
                const std::function<bool(size_t, OutputPiece &)> &write, size_t waitingLimit) {
    workers = static_cast<unsigned>(std::clamp<size_t>(workers, 1, std::max<size_t>(count, 1)));
    Board board(count, workers, waitingLimit);
    std::vector<std::thread> threads;
    threads.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) {
        threads.emplace_back([&board, &job, count] {
            for (size_t index; (index = board.take()) != count;) {
                JobSink sink(board, index);
                job(index, sink);
                board.finish(index);
            }
        });
    }
    board.writeAll(write);
    for (std::thread &thread : threads) thread.join();
}

#else

bool jobsRunTogether() { return false; }

// Without threads no capture is split, so nothing waits here.
struct StretchScans::State {
    std::vector<StretchScan> scans;
};
StretchScans::StretchScans(size_t count) : state_(std::make_unique<State>()) { state_->scans.resize(count); }
StretchScans::~StretchScans() = default;
void StretchScans::publish(size_t stretch, const StretchScan &scan) { state_->scans[stretch] = scan; }
StretchScan StretchScans::wait(size_t stretch) { return state_->scans[stretch]; }

unsigned defaultWorkerCount() { return 1; }

void runOrdered(size_t count, unsigned, const std::function<void(size_t, PieceSink &)> &job,
                const std::function<bool(size_t, OutputPiece &)> &write, size_t) {
    for (size_t index = 0; index < count; ++index) {
        DirectSink sink(write, index);
        job(index, sink);
        if (sink.stopped()) return;
    }
}

#endif

}  // namespace tkcli
