// Things that are not plain files, put where the game expects one of its data files: a named pipe,
// a socket, a link to a device, a folder, and a link to a plain file.
#pragma once
#include <string>
#include <vector>

namespace kalder_test {

enum class FileKind { Fifo, Socket, DeviceLink, Directory, LinkToFile };

struct FileKindCase {
    FileKind kind;
    const char *what;
};

// The kinds this machine can make (a socket path may be too long for the system's limit).
std::vector<FileKindCase> FileKinds();

// Makes `kind` at the host path, with its folders; a LinkToFile points at `target`, a plain file
// written beside it with `bytes`. Returns false when the system refused.
bool MakeFileOfKind(const std::string &host_path, FileKind kind, const std::vector<unsigned char> &bytes = {});

} // namespace kalder_test
