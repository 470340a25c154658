// SPDX-License-Identifier: GPL-3.0-or-later
// The I/O a batch cannot avoid, and nothing else: copies each listed file into
// a directory the way the engine writes its outputs (an unnamed file, linked
// under its name once complete), on as many threads as the engine uses, and
// converts nothing. Its time is the floor under the engine's on the same file
// system: a reference, not a contender.
//   atomic_copy LIST OUTPUT_DIRECTORY THREADS
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// As the engine links: straight from the descriptor where the system allows
// it, else through /proc.
bool linkUnnamed(int fd, const std::string &name)
{
    static std::atomic<bool> emptyPathRefused{false};
    if (!emptyPathRefused) {
        if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)
            return true;
        emptyPathRefused = true;
    }
    const std::string unnamed = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, unnamed.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool copyFile(const std::string &input, const std::string &output, std::vector<char> &buffer)
{
    const int in = ::open(input.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const ssize_t size = ::pread(in, buffer.data(), buffer.size(), 0);
    ::close(in);
    const std::string directory = output.substr(0, output.rfind('/'));
    const int out = ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (size < 0 || out < 0)
        return false;
    const bool copied = ::write(out, buffer.data(), static_cast<std::size_t>(size)) == size &&
                        linkUnnamed(out, output);
    ::close(out);
    return copied;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: atomic_copy LIST OUTPUT_DIRECTORY THREADS\n");
        return 2;
    }
    std::vector<std::string> inputs;
    std::ifstream list(argv[1]);
    for (std::string line; std::getline(list, line);)
        inputs.push_back(line);
    const std::string outputDirectory = argv[2];
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        std::vector<char> buffer(1 << 20);
        for (std::size_t i; (i = next++) < inputs.size();) {
            const std::string &input = inputs[i];
            if (!copyFile(input, outputDirectory + input.substr(input.rfind('/')), buffer))
                failed = true;
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < std::stoi(argv[3]); ++i)
        threads.emplace_back(work);
    for (std::thread &thread : threads)
        thread.join();
    return failed ? 1 : 0;
}
