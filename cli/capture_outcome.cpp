#include "capture_outcome.h"

#include <cstring>

#include "diagnostics.h"

namespace tkcli {

Outcome captureFailure(const CaptureReader &reader) {
    return {reader.errorKind() == CaptureError::Io ? kExitIoError : kExitDataError, reader.error()};
}

int reportOutcome(const Outcome &outcome) {
    return outcome.status == kExitOk ? kExitOk : report(outcome.status, "%s", outcome.problem.c_str());
}

int outputFailure(const char *name, int error) {
    return report(kExitIoError, "cannot write %s: %s", name, std::strerror(error));
}

}  // namespace tkcli
