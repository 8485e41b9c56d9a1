// Descriptors whose picture names reach out of the private folder: the opening refuses them and
// leaves the user's files beside that folder alone (the loader deletes every picture it reads).
#include "support/HeadlessOpening.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(PackageOpeningEscape, PictureNamesWithAFolderAreRefused) {
    const struct {
        const char* fileName;
        const char* fileType;
    } cases[] = {
        {"../obj", ".png"},      // the folder beside the private folder
        {"../../obj", ".png"},   // further up
        {"/tmp/obj", ".png"},    // absolute
        {"..\\obj", ".png"},     // the other separator
        {"obj", ".png/../../x"}, // through the type
        {"sub/obj", ".png"},     // a folder no member can be in
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fileName) + " " + c.fileType);
        TestPackage package;
        package.horizontal = 2;
        package.descriptorOverride = QByteArray("[FileName]\r\nFileName=") + c.fileName +
                                     "\r\n[FileType]\r\nFileType=" + c.fileType + "\r\n";
        TempDir dir;
        const QString path = dir.file(QStringLiteral("thing.360"));
        ASSERT_TRUE(package.write(path));
        // The user's own pictures, where "../obj" points from the private folder.
        const QStringList userFiles{QStringLiteral("obj_H_0000.png"),
                                    QStringLiteral("obj_H_0001.png")};
        for (const QString& name : userFiles) {
            QFile file(dir.file(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(package.pictureBytes(name));
        }

        const Opened opened = openPackageFile(path, qint64(1) << 30);
        EXPECT_FALSE(opened.ok);
        EXPECT_TRUE(opened.problem.contains(QStringLiteral("reaches outside the package")))
            << opened.problem.toStdString();
        EXPECT_EQ(opened.slots.heldCount(), 0);
        for (const QString& name : userFiles)
            EXPECT_TRUE(QFile::exists(dir.file(name))) << name.toStdString();
    }
}

} // namespace
