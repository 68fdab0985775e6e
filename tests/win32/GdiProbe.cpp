#include "GdiProbe.h"

#include "Forms.h"

int CountLiveGdiObjects() {
    int count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++count;
    return count;
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}
