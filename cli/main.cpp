#include "cli/cli_session.h"
#include "cli/interrupt_watcher.h"
#include "cli/options.h"
#include "cli/standard_streams.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using namespace vortaxel;
using cli::Fail;
using cli::kExitFailure;
using cli::kExitOk;
using cli::kExitUsage;

int main(int argc, char** argv) {
    // Before anything opens a file or a socket, and before any thread: see the two classes.
    const cli::StandardStreamsCheck standardStreams = cli::GuardStandardStreams();
    cli::InterruptWatcher interrupts;
    if (!standardStreams.fatalError.empty()) {
        return Fail(standardStreams.fatalError, kExitFailure);
    }
    cli::ParsedOptions parsed = cli::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.reply.empty()) {
        std::fputs(parsed.reply.c_str(), stdout);
        return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "vortaxel-cli: %s\n%s", parsed.error.c_str(), cli::kUsage);
        return kExitUsage;
    }
    if (!standardStreams.stdoutError.empty()) {
        return Fail(standardStreams.stdoutError, kExitFailure);
    }
    cli::Session session(std::move(*parsed.options), std::move(parsed.given));
    return session.Run(interrupts);
}
