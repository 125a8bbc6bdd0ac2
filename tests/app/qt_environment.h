// The one QApplication of a widget-test program, made before the first window and gone after
// the last. Included once per test program.
#pragma once

#include <QApplication>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace varnix::app::test {

class QtEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { m_app = std::make_unique<QApplication>(m_argc, m_argv.data()); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[12] = "varnix_test";
    std::array<char*, 2> m_argv{m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] inline auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace varnix::app::test
