// The multi-line text box.
#pragma once

#include "Controls.h"

// An EDIT control holding lines that the user can edit; Lines and the window text
// are kept equal in both directions.
class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent* owner);

    TStringList& Lines() { return lines_; }
    int TabOrder() const { return tabOrder_; }

    bool ReadProperty(const TLayoutProperty& property) override;
    void WndProc(TMessage& message) override;

    static TComponent* Create(TComponent* owner) { return new TMemo(owner); }

protected:
    void CreateParams(TCreateParams& params) override;

private:
    // Lines that keep the window text up to date.
    class TMemoLines : public TStringList {
    public:
        explicit TMemoLines(TMemo& memo) : memo_(memo) {}

    protected:
        void Changed() override {
            memo_.LinesChanged();
            TStringList::Changed();
        }

    private:
        TMemo& memo_;
    };

    void LinesChanged();

    TMemoLines lines_{*this};
    int tabOrder_ = -1;
    bool syncing_ = false;
};

void StdCtrlsInitialization();
void StdCtrlsFinalization();
