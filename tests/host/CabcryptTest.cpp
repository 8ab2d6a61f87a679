// cabcrypt as a maintainer scripts it: real files, real gcab, exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TreeNames.h"

namespace fs = std::filesystem;

namespace {

class Cabcrypt : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("cabcrypt-test-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "tree" / "Sound" / "More");
        Write(dir / "tree" / "Vantrelle.exe", std::string(5000, 'x') + "end");
        Write(dir / "tree" / "Sound" / "a.wav", "RIFF....WAVE");
        Write(dir / "tree" / "Sound" / "More" / "b b.txt", "with a blank");
    }
    void TearDown() override { fs::remove_all(dir); }

    static void Write(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Runs a shell command line; returns its exit code, stderr in `err`.
    int Run(const std::string& args, std::string* err = nullptr) {
        fs::path errFile = dir / "stderr";
        std::string cmd = std::string(CABCRYPT_PATH) + " " + args + " 2>" + errFile.string() + " >/dev/null";
        int status = std::system(cmd.c_str());
        if (err) *err = Read(errFile);
        return WEXITSTATUS(status);
    }
    std::string P(const char* name) { return "'" + (dir / name).string() + "'"; }
    void MakeCab() {
        std::string cmd = "cd '" + (dir / "tree").string() + "' && gcab -c -z " + P("plain.cab") +
                          " Vantrelle.exe Sound/a.wav 'Sound/More/b b.txt'";
        ASSERT_EQ(0, std::system(cmd.c_str()));
    }

    fs::path dir;
};

TEST_F(Cabcrypt, SealThenOpenGivesThePlainCabinetBack) {
    MakeCab();
    ASSERT_EQ(0, Run("seal " + P("plain.cab") + " " + P("sealed")));
    std::string plain = Read(dir / "plain.cab"), sealed = Read(dir / "sealed");
    ASSERT_EQ((plain.size() + 7) / 8 * 8, sealed.size());
    EXPECT_EQ("CRYP", sealed.substr(0, 4));
    EXPECT_EQ(plain.substr(4, 52), sealed.substr(4, 52));
    EXPECT_NE(plain.substr(56), sealed.substr(56, plain.size() - 56));
    ASSERT_EQ(0, Run("open " + P("sealed") + " " + P("back.cab")));
    std::string back = Read(dir / "back.cab");
    EXPECT_EQ(plain, back.substr(0, plain.size()));
    EXPECT_EQ(std::string(back.size() - plain.size(), '\0'), back.substr(plain.size()));

    // Another key gives another container; opening with the wrong key does not give the cabinet.
    ASSERT_EQ(0, Run("seal --key 00112233 " + P("plain.cab") + " " + P("sealed2")));
    EXPECT_NE(sealed, Read(dir / "sealed2"));
    ASSERT_EQ(0, Run("open " + P("sealed2") + " " + P("wrong.cab")));
    EXPECT_NE(plain, Read(dir / "wrong.cab").substr(0, plain.size()));
    ASSERT_EQ(0, Run("open --key 00112233 " + P("sealed2") + " " + P("right.cab")));
    EXPECT_EQ(plain, Read(dir / "right.cab").substr(0, plain.size()));

    // The printed installer key is the default one.
    std::string key = "cd . && " + std::string(CABCRYPT_PATH) + " --print-key > " + P("key");
    ASSERT_EQ(0, std::system(key.c_str()));
    std::string hex = Read(dir / "key");
    ASSERT_EQ(21u, hex.size());
    ASSERT_EQ(0, Run("seal --key " + hex.substr(0, 20) + " " + P("plain.cab") + " " + P("sealed3")));
    EXPECT_EQ(sealed, Read(dir / "sealed3"));
}

TEST_F(Cabcrypt, ErrorsExit2WithOneLineAndNoOutput) {
    MakeCab();
    Write(dir / "notcab", "this is not a cabinet at all, just some text bytes here........");
    const std::string bad[] = {
        "seal " + P("missing.cab") + " " + P("out"),
        "seal " + P("notcab") + " " + P("out"),
        "open " + P("plain.cab") + " " + P("out"),
        "seal --key 0 " + P("plain.cab") + " " + P("out"),
        "seal --key zz " + P("plain.cab") + " " + P("out"),
        "seal --key " + std::string(146, 'a') + " " + P("plain.cab") + " " + P("out"),
        "seal " + P("plain.cab"),
        "frobnicate " + P("plain.cab") + " " + P("out"),
        "pack " + P("missing") + " " + P("out"),
    };
    for (const std::string& args : bad) {
        std::string err;
        EXPECT_EQ(2, Run(args, &err)) << args;
        EXPECT_EQ(0, err.rfind("cabcrypt: ", 0)) << err;
        EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n')) << err;
        EXPECT_FALSE(fs::exists(dir / "out")) << args;
    }
    // An output that cannot be written: nothing is left behind, not even a temporary.
    std::string err;
    EXPECT_EQ(2, Run("seal " + P("plain.cab") + " " + P("nodir/out"), &err));
    EXPECT_FALSE(fs::exists(dir / "nodir"));
    for (auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(std::string::npos, e.path().filename().string().find("tmp"));
    // A 72-byte key is the longest allowed.
    EXPECT_EQ(0, Run("seal --key " + std::string(144, 'a') + " " + P("plain.cab") + " " + P("out")));
}

TEST_F(Cabcrypt, PackMakesAContainerOfTheWholeTree) {
    ASSERT_EQ(0, Run("pack " + P("tree") + " " + P("payload")));
    ASSERT_EQ(0, Run("open " + P("payload") + " " + P("payload.cab")));
    std::string list = "gcab -t " + P("payload.cab") + " > " + P("list");
    ASSERT_EQ(0, std::system(list.c_str()));
    std::string names = Read(dir / "list");
    EXPECT_NE(std::string::npos, names.find("Vantrelle.exe"));
    EXPECT_NE(std::string::npos, names.find("Sound\\a.wav"));
    EXPECT_NE(std::string::npos, names.find("Sound\\More\\b b.txt"));
    std::string extract = "mkdir -p " + P("out") + " && cd " + P("out") + " && gcab -x " + P("payload.cab");
    ASSERT_EQ(0, std::system(extract.c_str()));
    EXPECT_EQ(Read(dir / "tree" / "Vantrelle.exe"), Read(dir / "out" / "Vantrelle.exe"));
    EXPECT_EQ(Read(dir / "tree" / "Sound" / "More" / "b b.txt"),
              Read(dir / "out" / "Sound" / "More" / "b b.txt"));
}

TEST_F(Cabcrypt, PackRefusesNamesWindowsCannotStoreAndSaysWhich) {
    const char* names[] = {"back\\..\\slash.txt", "drive:c.txt", "what?.txt", "trailing.", "NUL.txt"};
    for (const char* name : names) {
        Write(dir / "tree" / "Sound" / name, "x");
        std::string err;
        EXPECT_EQ(2, Run("pack " + P("tree") + " " + P("out"), &err)) << name;
        EXPECT_NE(std::string::npos, err.find(name)) << err;
        EXPECT_FALSE(fs::exists(dir / "out"));
        fs::remove(dir / "tree" / "Sound" / name);
    }
    fs::create_symlink("/etc/passwd", dir / "tree" / "link");
    std::string err;
    EXPECT_EQ(2, Run("pack " + P("tree") + " " + P("out"), &err));
    EXPECT_NE(std::string::npos, err.find("link")) << err;
}

TEST_F(Cabcrypt, PackSaysSoWhenGcabIsMissing) {
    std::string err;
    std::string cmd = "env PATH=/nonexistent " + std::string(CABCRYPT_PATH) + " pack " + P("tree") + " " +
                      P("out") + " 2>" + (dir / "e").string();
    EXPECT_EQ(2, WEXITSTATUS(std::system(cmd.c_str())));
    EXPECT_NE(std::string::npos, Read(dir / "e").find("gcab is not installed"));
    EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST(TreeNames, StorableAndNot) {
    EXPECT_EQ("", Cabinet::CheckStorableName("Vantrelle.exe"));
    EXPECT_EQ("", Cabinet::CheckStorableName("Sound/More/Ding dong.wav"));
    EXPECT_EQ("", Cabinet::CheckStorableName("Translation/Fran\xC3\xA7"
                                             "ais.txt"));
    EXPECT_EQ("", Cabinet::CheckStorableName("CONSOLE.txt"));  // only the exact device names are reserved
    EXPECT_NE("", Cabinet::CheckStorableName("/etc/passwd"));
    EXPECT_NE("", Cabinet::CheckStorableName("a/../../b"));
    EXPECT_NE("", Cabinet::CheckStorableName("a//b"));
    EXPECT_NE("", Cabinet::CheckStorableName("bad\xFF.txt"));
    EXPECT_NE("", Cabinet::CheckStorableName("overlong\xC0\xAF.txt"));
    EXPECT_NE("", Cabinet::CheckStorableName("cut\xC3"));
    EXPECT_NE("", Cabinet::CheckStorableName("com1"));
    EXPECT_NE("", Cabinet::CheckStorableName("tab\there"));
    EXPECT_NE("", Cabinet::CheckStorableName(std::string(256, 'a')));
}

}  // namespace
