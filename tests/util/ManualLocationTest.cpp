// Where the program finds its manual: installed under PREFIX/share/doc/quenby, beside the program
// in a build folder, else in the source tree.
#include "util/ManualLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void touch(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(ManualLocation, InstalledFirstThenBesideTheProgramThenTheSourceTree) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    const QString installed = root.filePath(QStringLiteral("usr/share/doc/quenby/manual.htm"));
    const QString beside = bin + QStringLiteral("/manual.htm");
    ASSERT_TRUE(QDir().mkpath(bin));

    const QStringList candidates = util::ManualCandidates(bin);
    ASSERT_EQ(candidates.size(), 3);
    EXPECT_EQ(candidates[0], installed);
    EXPECT_EQ(candidates[1], beside);
    EXPECT_TRUE(candidates[2].endsWith(QStringLiteral("/src/gui/manual.htm")));

    // Neither installed nor beside: the source tree's copy, which this build has.
    ASSERT_TRUE(QFileInfo(candidates[2]).isFile());
    EXPECT_EQ(util::FindManual(bin), candidates[2]);
    touch(beside);
    EXPECT_EQ(util::FindManual(bin), beside);
    touch(installed);
    EXPECT_EQ(util::FindManual(bin), installed);
}

TEST(ManualLocation, AFolderOfThatNameIsNoManual) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin + QStringLiteral("/manual.htm")));
    EXPECT_NE(util::FindManual(bin), bin + QStringLiteral("/manual.htm"));
}

} // namespace
