#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/qt_services.h"

namespace kelvara::testing {

struct ReadOutcome {
    platform::ReadStatus status;
    std::vector<std::string> lines;
};

class TextFileTest : public ::testing::Test {
protected:
    std::string pathOf(const char* name) const {
        return m_dir.filePath(QString::fromUtf8(name)).toStdString();
    }

    std::string writeBytes(const char* name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(QString::fromUtf8(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return pathOf(name);
    }

    QByteArray fileBytes(const std::string& path) {
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    ReadOutcome read(const std::string& path) {
        ReadOutcome outcome{};
        outcome.status = m_services
                             .readTextLines(path,
                                            [&](std::string_view line) {
                                                outcome.lines.emplace_back(line);
                                                return true;
                                            })
                             .status;
        return outcome;
    }

    QTemporaryDir m_dir;
    platform::QtServices m_services;
};

} // namespace kelvara::testing
