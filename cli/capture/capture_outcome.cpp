#include "capture/capture_outcome.h"

#include <cstring>

#include "base/diagnostics.h"

namespace tkcli {

Outcome captureFailure(CaptureError kind, const std::string &message) {
    return {kind == CaptureError::Io ? kExitIoError : kExitDataError, message};
}

int reportOutcome(const Outcome &outcome) {
    if (outcome.status != kExitOk && outcome.problem.empty()) return outcome.status;  // reported already
    return outcome.status == kExitOk ? kExitOk : report(outcome.status, "%s", outcome.problem.c_str());
}

int outputFailure(const char *name, int error) {
    return report(kExitIoError, "cannot write %s: %s", name, std::strerror(error));
}

}  // namespace tkcli
