// Named pipes, sockets, device links and folders in place of data files, for the file layer's tests.
#include "tests/support/file_kinds.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kalder_test {

std::vector<FileKindCase> FileKinds()
{
    return {
        {FileKind::Fifo, "a named pipe"},
        {FileKind::Socket, "a socket"},
        {FileKind::DeviceLink, "a link to /dev/zero"},
        {FileKind::Directory, "a folder"},
        {FileKind::LinkToFile, "a link to a plain file"},
    };
}

bool MakeFileOfKind(const std::string &host_path, FileKind kind, const std::vector<unsigned char> &bytes)
{
    std::error_code error;
    fs::create_directories(fs::path(host_path).parent_path(), error);
    switch (kind) {
    case FileKind::Fifo:
        return mkfifo(host_path.c_str(), 0600) == 0;
    case FileKind::Socket: {
        sockaddr_un address{};
        if (host_path.size() >= sizeof address.sun_path) {
            return false;
        }
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, host_path.c_str(), host_path.size() + 1);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0) {
            return false;
        }
        // The socket's name stays in the folder after the descriptor is closed.
        const bool made = bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
        close(fd);
        return made;
    }
    case FileKind::DeviceLink:
        return symlink("/dev/zero", host_path.c_str()) == 0;
    case FileKind::Directory:
        return fs::create_directories(host_path, error);
    case FileKind::LinkToFile: {
        const std::string target = host_path + ".target";
        std::ofstream(target, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()),
                                                       std::streamsize(bytes.size()));
        return symlink(target.c_str(), host_path.c_str()) == 0;
    }
    }
    return false;
}

} // namespace kalder_test
