// The tool's ordered runner: output in job order, and a job ahead of the
// one being written held to its limit until its turn.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "commands/ordered_workers.h"

namespace {

using tkcli::OutputPiece;
using tkcli::PieceSink;

constexpr size_t kPiece = 100;
constexpr size_t kLimit = 1000;
constexpr size_t kPieces = 50;

OutputPiece output(size_t size, char c) { return {OutputPiece::Kind::Output, std::string(size, c)}; }

TEST(OrderedWorkers, AJobAheadHoldsItsLimitUntilItsTurnThenAllOfItLeavesInOrder) {
    std::atomic<size_t> handedAhead{0};
    size_t handedWhileFirstRan = 0;
    std::string written;
    const auto job = [&](size_t index, PieceSink &sink) {
        if (index == 1) {
            for (size_t i = 0; i < kPieces; ++i) {
                sink.hand(output(kPiece, 'b'));
                ++handedAhead;
            }
            return;
        }
        // The job being written is never held, whatever it hands; it ends
        // once the job ahead is held, or, were it not, has had time to run on.
        sink.hand(output(2 * kLimit, 'a'));
        while (handedAhead < kLimit / kPiece) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        handedWhileFirstRan = handedAhead;
    };
    tkcli::runOrdered(
        2, 2, job,
        [&](size_t, OutputPiece &piece) {
            written += piece.text;
            return true;
        },
        kLimit);
    EXPECT_EQ(handedWhileFirstRan, kLimit / kPiece);
    EXPECT_EQ(written, std::string(2 * kLimit, 'a') + std::string(kPiece * kPieces, 'b'));
}

}  // namespace
