// The real kestrio-cli binary as a golden-file harness: each tests/data/cli/*.packets file is decoded
// (fed on stdin to "decode -") and compared with the .expected file beside it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(CliGolden, DecodeOfStoredPacketsMatchesTheExpectedText) {
  const QString binary = KESTRIO_BINARY_DIR "/bin/kestrio-cli";
  ASSERT_TRUE(QFile::exists(binary)) << binary.toStdString();
  const QDir data(KESTRIO_SOURCE_DIR "/tests/data/cli");
  const QStringList inputs = data.entryList({"*.packets"}, QDir::Files, QDir::Name);
  ASSERT_GE(inputs.size(), 3);
  for (const QString& name : inputs) {
    const QString input = data.filePath(name);
    const QString expectedPath = input.left(input.size() - QString(".packets").size()) + ".expected";
    const QByteArray expected = ReadAll(expectedPath);
    ASSERT_FALSE(expected.isEmpty()) << expectedPath.toStdString();

    QProcess cli;
    cli.setStandardInputFile(input);
    cli.start(binary, {"decode", "-"});
    ASSERT_TRUE(cli.waitForFinished(30000)) << name.toStdString();
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 0) << name.toStdString();
    EXPECT_EQ(cli.readAllStandardOutput().toStdString(), expected.toStdString()) << name.toStdString();
    EXPECT_EQ(cli.readAllStandardError().toStdString(), "") << name.toStdString();
  }
}

}  // namespace
