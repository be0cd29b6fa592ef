// The elevated copy's command line: any bytes are read without harm, and
// what a reading accepts is handed on again unchanged (the first instance's
// arguments, split by the system's rules, give back what they were built from).
#include "driver/handoff.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input = FuzzBytes(data, size);
    std::string commandLine(input);
    std::optional<Handoff> parsed = ParseHandoff(commandLine);
    if (parsed) {
        FUZZ_CHECK(!parsed->target.empty() && !parsed->language.empty());
        std::optional<Handoff> again = ParseHandoff("setup.exe " + HandoffArguments(*parsed));
        FUZZ_CHECK(again && again->target == parsed->target && again->language == parsed->language);
    }
    // Two fields as a folder and a language: those the reading allows come back.
    std::string_view rest = input;
    Handoff built{std::string(TakeField(rest, '\n')), std::string(rest)};
    std::optional<Handoff> back = ParseHandoff("\"C:\\a b\\setup.exe\" " + HandoffArguments(built));
    if (back) FUZZ_CHECK(back->target == built.target && back->language == built.language);
    return 0;
}
