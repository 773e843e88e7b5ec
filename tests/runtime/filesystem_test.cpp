// File-system helpers: each failure raises its numbered error.
#include <gtest/gtest.h>

#include "jex/filesystem.h"
#include "raises.h"
#include "support/temp_host.h"

namespace {

using jextest::raisedNumber;

class FileSystem : public testing::Test {
protected:
    jextest::TempHost host;
};

TEST_F(FileSystem, CreatesOneFolderLevel) {
    jex::fs::createFolder(host.path("profiles"));
    EXPECT_TRUE(jex::fs::folderExists(host.path("profiles")));
    EXPECT_EQ(raisedNumber([&] { jex::fs::createFolder(host.path("profiles")); }),
              jex::err::FileAlreadyExists);
}

TEST_F(FileSystem, FolderWithMissingParentRaises76) {
    EXPECT_EQ(raisedNumber([&] { jex::fs::createFolder(host.path("a/b")); }),
              jex::err::PathNotFound);
    EXPECT_FALSE(jex::fs::folderExists(host.path("a")));
}

TEST_F(FileSystem, FolderBelowAFileRaises76) {
    host.write("file", "x");
    EXPECT_EQ(raisedNumber([&] { jex::fs::createFolder(host.path("file/sub")); }),
              jex::err::PathNotFound);
}

TEST_F(FileSystem, ExistenceTellsFilesFromFolders) {
    host.write("dir/file.txt", "x");
    EXPECT_TRUE(jex::fs::fileExists(host.path("dir/file.txt")));
    EXPECT_FALSE(jex::fs::folderExists(host.path("dir/file.txt")));
    EXPECT_TRUE(jex::fs::folderExists(host.path("dir")));
    EXPECT_FALSE(jex::fs::fileExists(host.path("dir")));
    EXPECT_FALSE(jex::fs::fileExists(QString()));
}

TEST_F(FileSystem, CreateTextFileReplacesContent) {
    host.write("req.txt", "old content");
    jex::fs::createTextFile(host.path("req.txt"));
    EXPECT_EQ(jex::fs::fileSize(host.path("req.txt")), 0);
}

TEST_F(FileSystem, CreateTextFileWithoutOverwriteKeepsExisting) {
    host.write("req.txt", "old");
    EXPECT_EQ(raisedNumber([&] { jex::fs::createTextFile(host.path("req.txt"), false); }),
              jex::err::FileAlreadyExists);
    EXPECT_EQ(host.read("req.txt"), QByteArray("old"));
}

TEST_F(FileSystem, CreateTextFileInMissingFolderRaises76) {
    EXPECT_EQ(raisedNumber([&] { jex::fs::createTextFile(host.path("RCData/req.txt")); }),
              jex::err::PathNotFound);
}

TEST_F(FileSystem, SizeAndDeleteOfFiles) {
    host.write("img.gif", "12345");
    EXPECT_EQ(jex::fs::fileSize(host.path("img.gif")), 5);
    jex::fs::deleteFile(host.path("img.gif"));
    EXPECT_FALSE(host.exists("img.gif"));
    EXPECT_EQ(raisedNumber([&] { jex::fs::deleteFile(host.path("img.gif")); }),
              jex::err::FileNotFound);
    EXPECT_EQ(raisedNumber([&] { jex::fs::fileSize(host.path("img.gif")); }),
              jex::err::FileNotFound);
}

}  // namespace
