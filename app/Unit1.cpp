#include "Unit1.h"

TForm1* Form1 = nullptr;

bool TForm1::AssignPublishedField(const std::string& name, TComponent* component) {
    static const struct {
        const char* Name;
        TLmLED* TForm1::*Field;
    } leds[] = {
        {"LmLED1", &TForm1::LmLED1},   {"LmLED2", &TForm1::LmLED2},   {"LmLED3", &TForm1::LmLED3},
        {"LmLED4", &TForm1::LmLED4},   {"LmLED5", &TForm1::LmLED5},   {"LmLED6", &TForm1::LmLED6},
        {"LmLED7", &TForm1::LmLED7},   {"LmLED8", &TForm1::LmLED8},   {"LmLED9", &TForm1::LmLED9},
        {"LmLED10", &TForm1::LmLED10}, {"LmLED11", &TForm1::LmLED11}, {"LmLED12", &TForm1::LmLED12},
        {"LmLED13", &TForm1::LmLED13}, {"LmLED14", &TForm1::LmLED14}, {"LmLED15", &TForm1::LmLED15},
        {"LmLED16", &TForm1::LmLED16}, {"LmLED17", &TForm1::LmLED17}, {"LmLED18", &TForm1::LmLED18},
        {"LmLED19", &TForm1::LmLED19}, {"LmLED20", &TForm1::LmLED20}, {"LmLED21", &TForm1::LmLED21},
        {"LmLED22", &TForm1::LmLED22}, {"LmLED23", &TForm1::LmLED23}, {"LmLED24", &TForm1::LmLED24},
        {"LmLED25", &TForm1::LmLED25}, {"LmLED26", &TForm1::LmLED26},
    };
    for (const auto& led : leds)
        if (name == led.Name)
            return AssignField(this->*led.Field, component, name);
    if (name == "Memo1")
        return AssignField(Memo1, component, name);
    return false;
}

void Unit1Initialization() {}

void Unit1Finalization() {
    Form1 = nullptr;
}
