#include "ExtCtrls.h"
#include "Forms.h"
#include "GdiProbe.h"
#include "LmLED.h"
#include "StdCtrls.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TTestForm : public TForm {
public:
    explicit TTestForm(TComponent* owner) : TForm(owner) {}
    TLmLED* Led = nullptr;
    TMemo* Note = nullptr;

protected:
    bool AssignPublishedField(const std::string& name, TComponent* component) override {
        if (name == "Led")
            return AssignField(Led, component, name);
        if (name == "Note")
            return AssignField(Note, component, name);
        return false;
    }
};

class TBadForm : public TTestForm {
public:
    using TTestForm::TTestForm;
};

class TNoLayoutForm : public TTestForm {
public:
    using TTestForm::TTestForm;
};

std::string WindowText(HWND wnd) {
    char buffer[256] = {};
    GetWindowTextA(wnd, buffer, sizeof buffer);
    return buffer;
}

} // namespace

TEST(Form, StoredLayoutCreatesChildrenAndFillsFields) {
    auto form = std::make_unique<TTestForm>(nullptr);
    form->InitializeFromLayout();
    EXPECT_EQ(form->Name(), "TestForm");
    EXPECT_EQ(form->Text(), "Test");
    EXPECT_EQ(form->Color(), clWhite);
    EXPECT_EQ(form->Left(), 10);
    EXPECT_EQ(form->Width(), 300);
    ASSERT_NE(form->Led, nullptr);
    EXPECT_EQ(form->Led->Left(), 40);
    EXPECT_EQ(form->Led->Top(), 50);
    EXPECT_EQ(form->Led->Width(), 17) << "unstored properties keep their defaults";
    EXPECT_EQ(form->Led->ColorOn(), 0xFF0000);
    EXPECT_EQ(form->Led->Interval(), 300u);
    EXPECT_EQ(form->Led->Parent(), form.get());
    ASSERT_NE(form->Note, nullptr);
    EXPECT_EQ(form->Note->Lines().Count(), 2);
    EXPECT_EQ(form->Note->Lines()[1], "second");
    // A child without a field still exists, in creation order.
    ASSERT_EQ(form->ComponentCount(), 3);
    EXPECT_EQ(form->Component(2)->Name(), "Extra");
    EXPECT_EQ(form->FindComponent("Extra"), form->Component(2));
    EXPECT_EQ(form->Control(0), form->Led);
}

TEST(Form, LayoutErrorsNameTheProblemAndTheLine) {
    struct Case {
        const char* layout;
        const char* message;
    };
    const Case cases[] = {
        {"object F: TTestForm\n  object X: TNoSuchClass\n  end\nend\n",
         "line 2: class TNoSuchClass not found"},
        {"object F: TTestForm\n  Wobble = 1\nend\n", "line 2: TTestForm has no property Wobble"},
        {"object F: TTestForm\n  object Led: TLmLED\n    Color = 255\n  end\nend\n",
         "line 3: TLmLED has no property Color"},
        {"object F: TTestForm\n  object Led: TMemo\n  end\nend\n",
         "line 2: the component Led does not have the class of its field"},
        {"object F: TTestForm\n  object L: TLmLED\n    object M: TMemo\n    end\n  end\nend\n",
         "line 3: L cannot hold controls"},
        {"object F: TTestForm\n  object L: TLmLED\n    Active = 1\n  end\nend\n",
         "line 3: property Active: True or False expected"},
        {"object F: TTestForm\n  object L: TLmLED\n    Interval = -5\n  end\nend\n",
         "line 3: Interval must not be negative"},
        {"object F: TTestForm\n  Color = clPurpleRain\nend\n",
         "line 2: property Color: unknown colour clPurpleRain"},
    };
    for (const Case& c : cases) {
        auto form = std::make_unique<TTestForm>(nullptr);
        try {
            form->ReadLayout(ParseFormLayout(c.layout));
            ADD_FAILURE() << "accepted: " << c.layout;
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(Form, MissingOrMalformedLayoutResourceIsNamed) {
    auto missing = std::make_unique<TNoLayoutForm>(nullptr);
    try {
        missing->InitializeFromLayout();
        FAIL();
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource TNOLAYOUTFORM not found");
    }
    auto bad = std::make_unique<TBadForm>(nullptr);
    try {
        bad->InitializeFromLayout();
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(),
                  "Error reading the form layout TBADFORM: line 3: the string is not closed");
    }
}

TEST(Form, ScalingMovesAndSizesChildren) {
    auto form = std::make_unique<TTestForm>(nullptr);
    form->InitializeFromLayout();
    form->ScaleBy(120, 96);
    EXPECT_EQ(form->Led->Left(), 50);
    EXPECT_EQ(form->Led->Top(), MulDiv(50, 120, 96));
    EXPECT_EQ(form->Led->Width(), MulDiv(17, 120, 96));
    EXPECT_EQ(form->Note->Width(), 125);
    EXPECT_EQ(form->Width(), 375);
    EXPECT_EQ(form->PixelsPerInch(), 120);
}

TEST(Memo, LinesAndWindowTextStayEqualBothWays) {
    auto form = std::make_unique<TTestForm>(nullptr);
    form->InitializeFromLayout();
    HWND edit = form->Note->Handle();
    EXPECT_EQ(WindowText(edit), "first\r\nsecond");
    int changes = 0;
    form->Note->Lines().OnChange = [&](TObject*) { ++changes; };
    // The user types at the end.
    SendMessageA(edit, EM_SETSEL, 100, 100);
    SendMessageA(edit, WM_CHAR, 'X', 0);
    EXPECT_EQ(form->Note->Lines()[1], "secondX");
    EXPECT_EQ(changes, 1);
    // The program changes the lines.
    form->Note->Lines().OnChange = nullptr;
    form->Note->Lines().Add("third");
    EXPECT_EQ(WindowText(edit), "first\r\nsecondX\r\nthird");
}

TEST(Application, HandleExceptionGivesTheExceptionToOnExceptionAndIgnoresAbort) {
    std::string seen;
    Application->OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
    try {
        throw EReadError("broken");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(seen, "broken");
    seen.clear();
    try {
        Abort();
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(seen, "") << "EAbort is silent";
    try {
        throw 42;
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(seen, "Unknown exception");
    Application->OnException = nullptr;
}

TEST(Application, ExceptionInATimerTickReachesHandleException) {
    std::string seen;
    Application->OnException = [&](TObject* sender, const std::exception& e) {
        EXPECT_NE(dynamic_cast<TTimer*>(sender), nullptr);
        seen = e.what();
    };
    TTimer timer(nullptr);
    timer.SetInterval(10);
    timer.SetOnTimer([&](TObject*) {
        timer.SetEnabled(false);
        throw EReadError("tick failed");
    });
    PumpMessages(300);
    EXPECT_EQ(seen, "tick failed");
    Application->OnException = nullptr;
}
