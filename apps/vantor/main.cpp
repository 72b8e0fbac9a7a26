// vantor: the command-line mastering tool. It loads Vantor.vpa through
// vpaMain as any host does and drives one process per audio file.
#include "Commands.h"
#include "HelpText.h"
#include "TemporaryFiles.h"
#include "ToolError.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // A closed pipe on standard output ends in a write error, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    // Before any thread starts: every thread inherits the blocked signals.
    CTemporaryFiles::HandleSignals();
    std::vector<std::string> words(argv + 1, argv + argc);
    try {
        if (words.empty()) {
            std::fputs(GetMainHelp(), stderr);
            return kExitUsage;
        }
        const std::string sCommand = words.front();
        words.erase(words.begin());
        if (sCommand == "--help" || sCommand == "-h" || sCommand == "help") {
            std::fputs(GetMainHelp(), stdout);
            return kExitOk;
        }
        if (sCommand == "--version" || sCommand == "-V") {
            std::fputs(GetVersionText(), stdout);
            return kExitOk;
        }
        if (sCommand == "master")
            return RunMaster(words);
        if (sCommand == "params")
            return RunParams(words);
        if (sCommand == "presets")
            return RunPresets(words);
        if (sCommand == "preset") {
            const std::string sAction = words.empty() ? std::string() : words.front();
            if (sAction != "save" && sAction != "show")
                throw UsageError("'vantor preset' takes 'save' or 'show' (vantor preset show NAME ...)");
            words.erase(words.begin());
            return sAction == "save" ? RunPresetSave(words) : RunPresetShow(words);
        }
        throw UsageError(
            "unknown command '" + sCommand + "' (master, params, presets, preset save, preset show; see --help)");
    } catch (const CToolError& error) {
        std::fprintf(stderr, "vantor: %s\n", error.what());
        return error.GetExitCode();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vantor: out of memory\n");
        return kExitFailure;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantor: %s\n", error.what());
        return kExitFailure;
    }
}
