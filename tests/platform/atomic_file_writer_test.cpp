#include "child_process.h"
#include "platform/atomic_file_writer.h"
#include "tests/support/named_rows.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace vortaxel::platform {
namespace {

using ::vortaxel::test::PrintTo;

using testing_support::DropRootPrivileges;
using testing_support::RunInChild;

const QByteArray kOld = "old content that must survive\r\n";
const QByteArray kNew = "blue widgets cheap\r\nred gadgets\r\n";

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

bool IsFifo(const QString& path) {
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
}

struct Target {
    QString path;
    /// What the path held before, when it was a regular file that must stay as it was.
    std::optional<QByteArray> before;
};

struct WriteCase {
    const char* name;
    std::function<Target(const QDir&)> prepare;
    QByteArray bytes;
    bool ok;
    QString reasonPart;
};

class AtomicFileWriterTest : public testing::TestWithParam<WriteCase> {};

TEST_P(AtomicFileWriterTest, WritesAllOrLeavesThePathAsItWas) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QDir dir(scratch.path());
    const Target target = GetParam().prepare(dir);
    const QStringList entriesBefore = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);

    const services::WriteResult result = WriteFileAtomically(target.path, GetParam().bytes);

    EXPECT_EQ(result.ok, GetParam().ok) << result.error;
    if (GetParam().ok) {
        EXPECT_TRUE(result.error.empty());
        EXPECT_EQ(ReadAll(target.path), GetParam().bytes);
    } else {
        EXPECT_TRUE(QString::fromStdString(result.error).contains(GetParam().reasonPart)) << result.error;
        if (target.before) {
            EXPECT_EQ(ReadAll(target.path), *target.before);
        }
    }
    // No temporary file is left behind beside the target, whatever happened.
    QStringList entriesAfter = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    entriesAfter.removeAll(QFileInfo(target.path).fileName());
    QStringList expected = entriesBefore;
    expected.removeAll(QFileInfo(target.path).fileName());
    EXPECT_EQ(entriesAfter, expected);
}

Target NewFile(const QDir& dir) {
    return {dir.filePath("keywords.txt"), std::nullopt};
}

Target ExistingFile(const QDir& dir) {
    const QString path = dir.filePath("keywords.txt");
    Put(path, kOld + kOld + kOld);
    return {path, kOld + kOld + kOld};
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AtomicFileWriterTest,
    testing::Values(WriteCase{"NewFile", NewFile, kNew, true, {}},
                    WriteCase{"ReplacesLongerFile", ExistingFile, kNew, true, {}},
                    WriteCase{"EmptyContentGivesZeroBytes", ExistingFile, QByteArray(), true, {}},
                    WriteCase{"NameWithBlanksAndQuotes",
                              [](const QDir& dir) {
                                  return Target{dir.filePath("my \"key\" words 'x'.txt"), std::nullopt};
                              },
                              kNew,
                              true,
                              {}},
                    WriteCase{"MissingFolder",
                              [](const QDir& dir) {
                                  return Target{dir.filePath("missing/keywords.txt"), std::nullopt};
                              },
                              kNew, false, "does not exist"},
                    WriteCase{"ParentIsAFile",
                              [](const QDir& dir) {
                                  Put(dir.filePath("plain"), kOld);
                                  return Target{dir.filePath("plain/keywords.txt"), std::nullopt};
                              },
                              kNew, false, "is not a folder"},
                    WriteCase{"PathIsAFolder",
                              [](const QDir& dir) {
                                  dir.mkdir("folder.txt");
                                  return Target{dir.filePath("folder.txt"), std::nullopt};
                              },
                              kNew, false, "It is a folder"},
                    WriteCase{"NameTooLong",
                              [](const QDir& dir) {
                                  return Target{dir.filePath(QString(300, 'k')), std::nullopt};
                              },
                              kNew, false, "too long"},
                    WriteCase{"NamedPipeRefusedWithoutBlocking",
                              [](const QDir& dir) {
                                  const QString path = dir.filePath("pipe.txt");
                                  mkfifo(QFile::encodeName(path).constData(), 0600);
                                  return Target{path, std::nullopt};
                              },
                              kNew, false, "not a regular file"},
                    WriteCase{"LinkToNamedPipeRefused",
                              [](const QDir& dir) {
                                  const QString pipe = dir.filePath("pipe");
                                  mkfifo(QFile::encodeName(pipe).constData(), 0600);
                                  QFile::link(pipe, dir.filePath("link.txt"));
                                  return Target{dir.filePath("link.txt"), std::nullopt};
                              },
                              kNew, false, "not a regular file"},
                    WriteCase{"EmptyPathRefused",
                              [](const QDir&) {
                                  return Target{QString(), std::nullopt};
                              },
                              kNew, false, "No file name"}),
    ::vortaxel::test::RowName());

TEST(AtomicFileWriter, NamedPipeStaysAPipe) {
    QTemporaryDir scratch;
    const QString pipe = scratch.filePath("pipe.txt");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);

    EXPECT_FALSE(WriteFileAtomically(pipe, kNew));

    EXPECT_TRUE(IsFifo(pipe));
}

TEST(AtomicFileWriter, DeviceRefused) {
    // Tried without root, so that a writer that forgot the check could not replace a real device.
    const bool asRoot = geteuid() == 0;
    const int outcome = RunInChild([&] {
        if (asRoot && !DropRootPrivileges()) {
            return 2;
        }
        const services::WriteResult result = WriteFileAtomically(QStringLiteral("/dev/null"), kNew);
        return !result && QString::fromStdString(result.error).contains("not a regular file") ? 0 : 1;
    });
    if (outcome == 2) {
        GTEST_SKIP() << "running as root and unable to drop to an unprivileged user; a device is not risked as root";
    }
    EXPECT_EQ(outcome, 0);
}

struct LinkCase {
    const char* name;
    bool targetExists;
};

class AtomicFileWriterLink : public testing::TestWithParam<LinkCase> {};

TEST_P(AtomicFileWriterLink, WritesTheTargetAndKeepsTheLink) {
    QTemporaryDir scratch;
    const QString target = scratch.filePath("real.txt");
    const QString link = scratch.filePath("link.txt");
    if (GetParam().targetExists) {
        Put(target, kOld);
    }
    ASSERT_TRUE(QFile::link(target, link));

    ASSERT_TRUE(WriteFileAtomically(link, kNew));

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    EXPECT_EQ(ReadAll(target), kNew);
}

INSTANTIATE_TEST_SUITE_P(Links, AtomicFileWriterLink,
                         testing::Values(LinkCase{"ToExistingFile", true}, LinkCase{"Dangling", false}),
                         ::vortaxel::test::RowName());

TEST(AtomicFileWriter, StdStringOverloadKeepsBytesAndUtf8Names) {
    QTemporaryDir scratch;
    const std::string path = scratch.filePath(QStringLiteral("caf\u00e9.txt")).toStdString();
    const std::string bytes("caf\xe9\0\r\n", 7);

    ASSERT_TRUE(AtomicFileWriter().Write(path, bytes));

    EXPECT_EQ(ReadAll(QString::fromStdString(path)), QByteArray(bytes.data(), 7));
}

TEST(AtomicFileWriter, ReadOnlyFolderFailsAndKeepsOldFile) {
    QTemporaryDir scratch;
    const QString folder = scratch.filePath("locked");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + "/keywords.txt";
    Put(path, kOld);
    // The file itself stays writable for anyone: only the folder forbids the write.
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0666), 0);
    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);
    chmod(QFile::encodeName(scratch.path()).constData(), 0755);

    // Root ignores mode bits, so as root the attempt runs in a child that has given root up.
    const bool asRoot = geteuid() == 0;
    const int outcome = RunInChild([&] {
        if (asRoot && !DropRootPrivileges()) {
            return 2;
        }
        const services::WriteResult result = WriteFileAtomically(path, kNew);
        return !result && QString::fromStdString(result.error).contains("Permission denied") ? 0 : 1;
    });
    chmod(QFile::encodeName(folder).constData(), 0755);
    if (outcome == 2) {
        GTEST_SKIP() << "running as root and unable to drop to an unprivileged user; root ignores mode bits";
    }

    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(ReadAll(path), kOld);
}

TEST(AtomicFileWriter, DiskFullMidWriteKeepsOldFile) {
    QTemporaryDir scratch;
    const QString path = scratch.filePath("keywords.txt");
    Put(path, kOld);
    const QByteArray large(1 << 20, 'k');

    // A file-size limit makes the kernel refuse writes past it, as a full disk would.
    const int outcome = RunInChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t{64} * 1024, rlim_t{64} * 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 2;
        }
        return WriteFileAtomically(path, large) ? 1 : 0;
    });

    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(ReadAll(path), kOld);
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::Files), QStringList{"keywords.txt"});
}

} // namespace
} // namespace vortaxel::platform
