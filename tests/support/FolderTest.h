// A test with its own temporary folder: file paths in it, and what it holds.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class FolderTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    // Every entry, hidden ones too: a failed write must leave no temporary file.
    QStringList everything() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
    }
    QTemporaryDir dir;
};
