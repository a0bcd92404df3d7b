// How the commands that read a capture end: the exit status and message.
#ifndef TKDEC_CLI_CAPTURE_OUTCOME_H
#define TKDEC_CLI_CAPTURE_OUTCOME_H

#include <string>

#include "base/exit_codes.h"
#include "capture/capture_reader.h"

namespace tkcli {

// The end of reading a capture: the exit status and, for a failure, its
// message, reported once the output is flushed.
struct Outcome {
    int status = kExitOk;
    std::string problem;
    bool refused = false;  // the output form cannot hold what the input has
};

Outcome captureFailure(CaptureError kind, const std::string &message);
inline Outcome captureFailure(const CaptureReader &reader) {
    return captureFailure(reader.errorKind(), reader.error());
}
int reportOutcome(const Outcome &outcome);
int outputFailure(const char *name, int error);

}  // namespace tkcli

#endif
