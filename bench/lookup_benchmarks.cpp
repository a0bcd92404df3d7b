// Lookups by id in the generated tables, for the first and the last id of
// each table: their cost must not grow with the size of the build.
#include <benchmark/benchmark.h>

#include <string>

#include "api/channel_table.h"
#include "benchmarks.h"
#include "records/token_table.h"
#include "type_tables.h"

namespace tkdec::bench {
namespace {

void findTokenIn(benchmark::State &state, const TokenTable *table, uint32_t id) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(id);
        benchmark::DoNotOptimize(findToken(*table, id));
    }
}

void findMessage(benchmark::State &state, uint32_t id) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(id);
        benchmark::DoNotOptimize(build::findMessageClass(id));
    }
}

void findChannel(benchmark::State &state, uint16_t id) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(id);
        benchmark::DoNotOptimize(build::channelKind(id));
    }
}

void registerTokenTable(const char *name, const TokenTable &table) {
    const std::vector<TableToken> tokens = tokensOf(table);
    uint32_t first = tokens.front().id, last = tokens.front().id;
    for (const TableToken &token : tokens) {
        first = token.id < first ? token.id : first;
        last = token.id > last ? token.id : last;
    }
    benchmark::RegisterBenchmark((std::string("lookup/") + name + "/first").c_str(), findTokenIn, &table, first);
    benchmark::RegisterBenchmark((std::string("lookup/") + name + "/last").c_str(), findTokenIn, &table, last);
}

}  // namespace

void registerLookupBenchmarks() {
    registerTokenTable("print_tokens", build::printTokenTable);
    registerTokenTable("alarm_tokens", build::alarmTokenTable);
    uint32_t firstMessage = build::messageTypeTable[0].id, lastMessage = firstMessage;
    for (const MessageTypeEntry *entry = build::messageTypeTable; entry->id != 0; ++entry) {
        firstMessage = entry->id < firstMessage ? entry->id : firstMessage;
        lastMessage = entry->id > lastMessage ? entry->id : lastMessage;
    }
    benchmark::RegisterBenchmark("lookup/message_classes/first", findMessage, firstMessage);
    benchmark::RegisterBenchmark("lookup/message_classes/last", findMessage, lastMessage);
    uint16_t firstChannelId = build::channels[0].id, lastChannelId = firstChannelId;
    for (uint32_t i = 0; i < build::channelCount; ++i) {
        firstChannelId = build::channels[i].id < firstChannelId ? build::channels[i].id : firstChannelId;
        lastChannelId = build::channels[i].id > lastChannelId ? build::channels[i].id : lastChannelId;
    }
    benchmark::RegisterBenchmark("lookup/channels/first", findChannel, firstChannelId);
    benchmark::RegisterBenchmark("lookup/channels/last", findChannel, lastChannelId);
}

}  // namespace tkdec::bench
