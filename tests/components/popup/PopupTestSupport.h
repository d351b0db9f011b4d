#pragma once

#include "components/popup/Popup.h"
#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tests/support/ExpectRect.h"
#include "tests/support/ManualClockTest.h"

#include <string>
#include <vector>

namespace popuptest {

// Writes down every delegate call in order; the operations it implements are switchable.
class RecordingDelegate final : public PopupDelegate {
public:
    bool popupWillAppear(Popup&) override { return record("willAppear"); }
    bool popupDidAppear(Popup&) override { return record("didAppear"); }
    bool popupPressButton(Popup&, PopupButtonType type) override { return record("press", type); }
    bool dictionary(
        const FieldDictionary& fields, Popup&, const std::optional<std::vector<std::string>>& texts) override
    {
        lastFields = fields;
        lastTexts = texts;
        return record("strings");
    }
    bool popupWillDisappear(Popup&, PopupButtonType type) override
    {
        if (!implementsWillDisappear)
            return false;
        return record("willDisappear", type);
    }
    bool popupDidDisappear(Popup&, PopupButtonType type) override { return record("didDisappear", type); }

    bool record(const std::string& name, std::optional<PopupButtonType> type = std::nullopt)
    {
        calls.push_back(type ? name + ":" + std::to_string(int(*type)) : name);
        return true;
    }

    std::vector<std::string> calls;
    FieldDictionary lastFields;
    std::optional<std::vector<std::string>> lastTexts;
    bool implementsWillDisappear {true};
};

class PopupTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        ui::Keyboard::shared().reset();
        Popup::resetSharedStateForTesting();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
    }
    void TearDown() override
    {
        runFor(3);
        ui::Keyboard::shared().reset();
        ui::Application::shared().resetForTesting();
        window.reset();
        ManualClockTest::TearDown();
    }

    // Shows the popup with its box lifted above the keyboard of its first field (y 38 on a phone).
    void showLiftedAboveTheKeyboard(const std::shared_ptr<Popup>& popup)
    {
        popup->showPopup();
        runFor(0.1);
        ASSERT_TRUE(popup->textFields()[0]->becomeFirstResponder());
        runFor(0.3);
    }

    std::shared_ptr<ui::Window> window;
};

} // namespace popuptest
