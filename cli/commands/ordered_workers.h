// Jobs run on several threads whose output leaves in job order: each job
// runs in full on one worker and hands its output over in pieces; the
// calling thread writes the pieces of job 0, then those of job 1, and so
// on, each as soon as it is there.
#ifndef TKDEC_CLI_ORDERED_WORKERS_H
#define TKDEC_CLI_ORDERED_WORKERS_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tkcli {

// A piece of a job's output: text for standard output, or one message line
// for standard error.
struct OutputPiece {
    enum class Kind { Output, Message } kind;
    std::string text;
};

// What a running job hands its pieces to.
class PieceSink {
public:
    virtual ~PieceSink() = default;
    // False once the output has failed: the job should stop.
    virtual bool hand(OutputPiece piece) = 0;
};

// The number of workers when none is asked for: the machine's cores.
unsigned defaultWorkerCount();
// Whether the jobs of runOrdered run at the same time, so that one may wait
// for what another publishes (false where there are no threads).
bool jobsRunTogether();

// What the jobs of one capture split into stretches tell each other: the
// scan of each stretch but the last.
struct StretchScan {
    uint64_t records = 0;   // records read in the stretch
    uint64_t lastTime = 0;  // the host time of its last shown record that has one; 0 none
    bool lands = false;     // its last record ends where the next stretch starts
};
class StretchScans {
public:
    explicit StretchScans(size_t count);
    ~StretchScans();
    // The first publication of a stretch counts.
    void publish(size_t stretch, const StretchScan &scan);
    // The scan of a stretch, once it has been published.
    StretchScan wait(size_t stretch);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The output text that a job which is not being written yet may hold;
// its next piece waits until it is.
constexpr size_t kWaitingOutputLimit = size_t{256} << 20;

// Runs job(index, sink) for every index below count on at most workers
// threads; a job starts only while fewer than workers jobs are ahead of it
// that have not been written, and holds at most waitingLimit bytes of
// output text (and one piece more) until its turn, which bounds what is
// held in memory. write gets every piece, with its job's index, on the
// calling thread, in job order; once it returns false no more jobs start
// and the running ones are told to stop.
void runOrdered(size_t count, unsigned workers, const std::function<void(size_t, PieceSink &)> &job,
                const std::function<bool(size_t, OutputPiece &)> &write,
                size_t waitingLimit = kWaitingOutputLimit);

}  // namespace tkcli

#endif
