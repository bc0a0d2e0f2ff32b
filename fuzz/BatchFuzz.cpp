// The batch runner's parser: any text is parsed or refused with a line
// number, and the batch files the kit writes, for any tool folder it can
// quote and any argument, parse into exactly the command they stand for.
#include <fuzzer/FuzzedDataProvider.h>

#include "BatchRunner.h"
#include "FuzzSupport.h"
#include "LevelTool.h"

namespace {

const gdl::BatchCommand& OnlyCommand(const std::string& text, const std::string& argument) {
    static gdl::BatchParseResult parsed;
    parsed = gdl::ParseBatch(text, argument);
    FUZZ_CHECK(parsed.ok);
    FUZZ_CHECK(parsed.script.commands.size() == 1);
    return parsed.script.commands.front();
}

// An empty %1 is no argument at all, as in a DOS batch file.
std::vector<std::string> Words(const std::string& word) {
    return word.empty() ? std::vector<std::string>{} : std::vector<std::string>{word};
}

void CheckKitBatches(const std::string& folder, const std::string& argument) {
    // The level tool makes its folder absolute before it writes a batch file.
    if (!folder.starts_with('/') || !gdl::CanQuoteInBatch(folder)) return;
    const std::string tool = folder + gdl::kLevelToolExe;

    const auto& list = OnlyCommand(gdl::ListBatchText(folder), argument);
    FUZZ_CHECK(list.program == tool);
    FUZZ_CHECK(list.arguments == std::vector<std::string>{"-s" + argument});
    FUZZ_CHECK(list.outputFile == argument + ".te1" && list.inputFile.empty());

    const auto& compile = OnlyCommand(gdl::CompileBatchText(folder), argument);
    FUZZ_CHECK(compile.program == tool);
    FUZZ_CHECK(compile.arguments == std::vector<std::string>{"-m" + argument});

    const auto& stat = OnlyCommand(gdl::StatBatchText(folder), argument);
    FUZZ_CHECK(stat.program == folder + gdl::kStatToolExe);
    FUZZ_CHECK(stat.arguments == std::vector<std::string>{"-g"});
    FUZZ_CHECK(stat.inputFile == argument + ".te3" && stat.outputFile == argument + ".te4");

    const auto edit = gdl::ParseBatch(gdl::EditBatchText(folder, 2), argument);
    FUZZ_CHECK(edit.ok && edit.script.commands.size() == 1);
    FUZZ_CHECK(edit.script.commands[0].program == tool);
    FUZZ_CHECK(edit.script.commands[0].arguments == Words(argument));
    FUZZ_CHECK(edit.script.environment.size() == 1 && edit.script.environment[0].second == "2");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string argument = in.ConsumeRandomLengthString(64);
    const std::string folder = in.ConsumeRandomLengthString(64);
    const std::string text = in.ConsumeRemainingBytesAsString();

    const auto parsed = gdl::ParseBatch(text, argument);
    if (!parsed.ok) FUZZ_CHECK(parsed.error.starts_with("line "));
    CheckKitBatches(folder, argument);
    return 0;
}
