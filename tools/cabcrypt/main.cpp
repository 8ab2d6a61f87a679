// cabcrypt: the maintainer's tool for the installer's payload.
//   seal: plain cabinet -> container; open: container -> plain cabinet;
//   pack: application tree -> cabinet (gcab, MSZIP) -> container.
// Errors print one line on stderr and exit 2; no partial output is left behind.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Container.h"
#include "PayloadKey.h"
#include "TreeNames.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: cabcrypt seal [--key HEX] INPUT.cab OUTPUT\n"
    "       cabcrypt open [--key HEX] INPUT OUTPUT.cab\n"
    "       cabcrypt pack [--key HEX] TREE OUTPUT\n"
    "       cabcrypt --print-key\n"
    "  seal  writes the encrypted container of a plain cabinet (\"MSCF\" -> \"CRYP\")\n"
    "  open  writes back the plain cabinet of a container\n"
    "  pack  makes an MSZIP cabinet of every file under TREE with gcab and seals it\n"
    "  --print-key  prints the installer's key in hexadecimal (for cabx --key)\n"
    "  --key HEX  the key as 1 to 72 bytes of hexadecimal (default: the installer's key)\n";

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

std::vector<unsigned char> ParseKey(const std::string& hex) {
    if (hex.empty() || hex.size() % 2 != 0 || hex.size() > 144)
        Fail("the key must be 1 to 72 bytes of hexadecimal, got \"" + hex + "\"");
    std::vector<unsigned char> key;
    for (size_t i = 0; i < hex.size(); i += 2) {
        auto digit = [&](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            Fail("the key must be 1 to 72 bytes of hexadecimal, got \"" + hex + "\"");
        };
        key.push_back(static_cast<unsigned char>(digit(hex[i]) * 16 + digit(hex[i + 1])));
    }
    return key;
}

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) Fail(path + ": no such file");
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(path + ": cannot read: " + std::strerror(errno));
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) Fail(path + ": cannot read");
    return bytes;
}

// Writes beside the target and renames, so a failed write leaves nothing behind.
void WriteAll(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::string temp = path + ".cabcrypt-tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) Fail(path + ": cannot write: " + std::strerror(errno));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            Fail(path + ": cannot write");
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        std::remove(temp.c_str());
        Fail(path + ": cannot write: " + std::strerror(err));
    }
}

void Seal(const std::string& input, const std::string& output, const std::vector<unsigned char>& key) {
    auto bytes = ReadAll(input);
    std::string error = Cabinet::SealContainer(bytes, key.data(), static_cast<uint32_t>(key.size()));
    if (!error.empty()) Fail(input + ": " + error);
    WriteAll(output, bytes);
}

void Open(const std::string& input, const std::string& output, const std::vector<unsigned char>& key) {
    auto bytes = ReadAll(input);
    std::string error = Cabinet::OpenContainer(bytes, key.data(), static_cast<uint32_t>(key.size()));
    if (!error.empty()) Fail(input + ": " + error);
    WriteAll(output, bytes);
}

bool GcabAvailable() { return system("command -v gcab >/dev/null 2>&1") == 0; }

// Runs gcab inside the tree with relative names, so the cabinet stores paths
// relative to the install folder.
void RunGcab(const std::string& tree, const std::string& cab, const std::vector<std::string>& names) {
    std::vector<std::string> args = {"gcab", "--create", "--zip", cab};
    args.insert(args.end(), names.begin(), names.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) Fail(std::string("cannot start gcab: ") + std::strerror(errno));
    if (pid == 0) {
        if (chdir(tree.c_str()) != 0) _exit(126);
        execvp("gcab", argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail("gcab failed to make the cabinet of " + tree);
}

void Pack(const std::string& tree, const std::string& output, const std::vector<unsigned char>& key) {
    std::error_code ec;
    if (!fs::is_directory(tree, ec)) Fail(tree + ": not a folder");
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(tree, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::string relative = fs::relative(it->path(), tree).generic_string();
        if (it->is_symlink())
            Fail(tree + ": \"" + relative + "\" is a symbolic link; only files and folders can be packed");
        if (it->is_directory()) continue;
        if (!it->is_regular_file()) Fail(tree + ": \"" + relative + "\" is not a regular file");
        std::string why = Cabinet::CheckStorableName(relative);
        if (!why.empty()) Fail(tree + ": cannot store \"" + relative + "\": " + why);
        names.push_back(relative);
    }
    if (ec) Fail(tree + ": cannot read: " + ec.message());
    if (names.empty()) Fail(tree + ": no files to pack");
    std::sort(names.begin(), names.end());
    if (!GcabAvailable())
        Fail("gcab is not installed (Debian package gcab); pack needs it to make the cabinet");
    std::string cab = fs::absolute(output).string() + ".cabcrypt-cab";
    try {
        RunGcab(tree, cab, names);
        Seal(cab, output, key);
    } catch (...) {
        std::remove(cab.c_str());
        throw;
    }
    std::remove(cab.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--print-key") {
        for (unsigned char c : Cabinet::kPayloadKey) std::printf("%02X", c);
        std::printf("\n");
        return 0;
    }
    try {
        std::string command = args[0];
        std::vector<unsigned char> key(Cabinet::kPayloadKey,
                                       Cabinet::kPayloadKey + Cabinet::kPayloadKeyLength);
        std::vector<std::string> operands;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--help") {
                std::fputs(kUsage, stdout);
                return 0;
            }
            if (args[i] == "--key") {
                if (i + 1 >= args.size()) Fail("--key needs a value");
                key = ParseKey(args[++i]);
            } else if (args[i].rfind("--", 0) == 0) {
                Fail("unknown option " + args[i] + " (see cabcrypt --help)");
            } else {
                operands.push_back(args[i]);
            }
        }
        if (command != "seal" && command != "open" && command != "pack")
            Fail("unknown command \"" + command + "\" (see cabcrypt --help)");
        if (operands.size() != 2) Fail(command + " takes two operands (see cabcrypt --help)");
        if (command == "seal") Seal(operands[0], operands[1], key);
        if (command == "open") Open(operands[0], operands[1], key);
        if (command == "pack") Pack(operands[0], operands[1], key);
    } catch (const Failure& f) {
        std::fprintf(stderr, "cabcrypt: %s\n", f.message.c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cabcrypt: %s\n", e.what());
        return 2;
    }
    return 0;
}
