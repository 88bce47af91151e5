#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>

namespace {

// Fonts, text measuring and timers need a QGuiApplication for the whole run.
class TGuiEnvironment : public testing::Environment {
public:
    void SetUp() override { FApp = std::make_unique<QGuiApplication>(FArgc, FArgv); }
    void TearDown() override { FApp.reset(); }

private:
    int FArgc = 1;
    char FName[16] = "kavro_tests";
    char* FArgv[2] = {FName, nullptr};
    std::unique_ptr<QGuiApplication> FApp;
};

[[maybe_unused]] testing::Environment* const GuiEnvironment =
    testing::AddGlobalTestEnvironment(new TGuiEnvironment);

}  // namespace
