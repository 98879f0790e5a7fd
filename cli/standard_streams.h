#pragma once

#include <string>

namespace vortaxel::cli {

/// What the start-up guard found; an empty text means nothing is wrong.
struct StandardStreamsCheck {
    /// StdoutError(EBADF) when standard output was closed at start: the found list would go nowhere.
    std::string stdoutError;
    /// Why a closed descriptor could not be filled, in which case the program must not go on.
    std::string fatalError;
};

/// First thing in main, before anything opens a file or a socket: opens /dev/null on each of descriptors 0-2
/// that is closed, so that no file or connection can take its number and receive what is meant for the terminal;
/// and ignores SIGPIPE, so that a closed output pipe is a write error the output check sees instead of the end
/// of the program before the keyword file is written.
StandardStreamsCheck GuardStandardStreams();

} // namespace vortaxel::cli
