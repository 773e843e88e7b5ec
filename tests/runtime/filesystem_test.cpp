// File-system helpers: what they create and remove, and the numbered error
// each failure raises.
#include <gtest/gtest.h>

#include "jex/filesystem.h"
#include "support/raises.h"
#include "support/temp_host.h"

namespace {

class FileSystem : public testing::Test {
protected:
    FileSystem() { host.write("dir/file.txt", "old"); }
    jextest::TempHost host;
    const QString file = host.path("dir/file.txt");
};

TEST_F(FileSystem, CreatesMeasuresAndDeletes) {
    jex::fs::createFolder(host.path("new"));
    EXPECT_TRUE(jex::fs::folderExists(host.path("new")));
    EXPECT_FALSE(jex::fs::fileExists(host.path("new")));
    EXPECT_TRUE(jex::fs::fileExists(file));
    EXPECT_FALSE(jex::fs::folderExists(file));
    EXPECT_FALSE(jex::fs::fileExists(QString()));
    EXPECT_EQ(jex::fs::fileSize(file), 3);
    jex::fs::createTextFile(file);
    EXPECT_EQ(jex::fs::fileSize(file), 0);
    jex::fs::deleteFile(file);
    EXPECT_FALSE(host.exists("dir/file.txt"));
}

TEST_F(FileSystem, FailuresRaiseTheirNumbers) {
    using namespace jex::err;
    using namespace jex::fs;
    jextest::expectRaised({
        {"FolderThatExists", [&] { createFolder(host.path("dir")); }, FileAlreadyExists},
        {"FolderWithMissingParent", [&] { createFolder(host.path("a/b")); }, PathNotFound},
        {"FolderBelowAFile", [&] { createFolder(file + "/sub"); }, PathNotFound},
        {"FileThatExistsKept", [&] { createTextFile(file, false); }, FileAlreadyExists},
        {"FileInMissingFolder", [&] { createTextFile(host.path("RCData/req.txt")); }, PathNotFound},
        {"DeleteMissingFile", [&] { deleteFile(host.path("none")); }, FileNotFound},
        {"SizeOfMissingFile", [&] { fileSize(host.path("none")); }, FileNotFound},
    });
    EXPECT_EQ(host.read("dir/file.txt"), QByteArray("old"));
    EXPECT_FALSE(host.exists("a"));
}

}  // namespace
