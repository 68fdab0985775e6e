// The main form: a row of 26 LEDs above a note.
#pragma once

#include "Forms.h"
#include "LmLED.h"
#include "StdCtrls.h"

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner) : TForm(owner) {}

    // Published fields, filled from the stored layout by name.
    TLmLED* LmLED1 = nullptr;
    TLmLED* LmLED2 = nullptr;
    TLmLED* LmLED3 = nullptr;
    TLmLED* LmLED4 = nullptr;
    TLmLED* LmLED5 = nullptr;
    TLmLED* LmLED6 = nullptr;
    TLmLED* LmLED7 = nullptr;
    TLmLED* LmLED8 = nullptr;
    TLmLED* LmLED9 = nullptr;
    TLmLED* LmLED10 = nullptr;
    TLmLED* LmLED11 = nullptr;
    TLmLED* LmLED12 = nullptr;
    TLmLED* LmLED13 = nullptr;
    TLmLED* LmLED14 = nullptr;
    TLmLED* LmLED15 = nullptr;
    TLmLED* LmLED16 = nullptr;
    TLmLED* LmLED17 = nullptr;
    TLmLED* LmLED18 = nullptr;
    TLmLED* LmLED19 = nullptr;
    TLmLED* LmLED20 = nullptr;
    TLmLED* LmLED21 = nullptr;
    TLmLED* LmLED22 = nullptr;
    TLmLED* LmLED23 = nullptr;
    TLmLED* LmLED24 = nullptr;
    TLmLED* LmLED25 = nullptr;
    TLmLED* LmLED26 = nullptr;
    TMemo* Memo1 = nullptr;

protected:
    bool AssignPublishedField(const std::string& name, TComponent* component) override;
};

extern TForm1* Form1;

void Unit1Initialization();
void Unit1Finalization();
