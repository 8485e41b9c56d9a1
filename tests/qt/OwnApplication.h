#pragma once

// A QApplication that a test program makes for itself, once the environment that the whole
// program runs in has been set (a screen scale, a screen size).
#include <QApplication>
#include <QByteArray>
#include <gtest/gtest.h>

class OwnApplication : public ::testing::Environment {
public:
    // Sets `variable` to `value` before the application is made.
    OwnApplication(const char* variable, QByteArray value)
        : m_variable(variable), m_value(std::move(value)) {}
    void SetUp() override {
        qputenv(m_variable, m_value);
        m_app = new QApplication(m_argc, m_argv);
    }
    void TearDown() override { delete m_app; }

private:
    const char* m_variable;
    QByteArray m_value;
    int m_argc = 1;
    char m_name[16] = "gyrolook-test";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};
