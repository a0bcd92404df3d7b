// The tool's ordered runner: a job ahead of the one being written is held
// to its output limit until its turn; then all of it leaves, in job order.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "commands/ordered_workers.h"

TEST(OrderedWorkers, AJobAheadHoldsItsLimitUntilItsTurn) {
    constexpr size_t kPiece = 100, kLimit = 1000, kPieces = 50;
    const auto piece = [](size_t size, char c) {
        return tkcli::OutputPiece{tkcli::OutputPiece::Kind::Output, std::string(size, c)};
    };
    std::atomic<size_t> handedAhead{0};
    size_t handedWhileFirstRan = 0;
    std::string written;
    const auto job = [&](size_t index, tkcli::PieceSink &sink) {
        if (index == 1) {
            for (size_t i = 0; i < kPieces; ++i, ++handedAhead) sink.hand(piece(kPiece, 'b'));
            return;
        }
        // The job being written is never held; it ends once the job ahead
        // is held, or, were it not, has had time to run on.
        sink.hand(piece(2 * kLimit, 'a'));
        while (handedAhead < kLimit / kPiece) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        handedWhileFirstRan = handedAhead;
    };
    const auto write = [&](size_t, tkcli::OutputPiece &out) { return written += out.text, true; };
    tkcli::runOrdered(2, 2, job, write, kLimit);
    // Ten pieces reach the limit; the eleventh waits for the first job's end.
    EXPECT_EQ(handedWhileFirstRan, kLimit / kPiece);
    EXPECT_EQ(written, std::string(2 * kLimit, 'a') + std::string(kPiece * kPieces, 'b'));
}
