// Forms built from stored layouts, and the application object.
#pragma once

#include "Controls.h"
#include "SysUtils.h"

#include <exception>
#include <functional>
#include <string>

// The screen's pixels per inch.
int ScreenPixelsPerInch();

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    // Reads the stored layout named after the form's class in upper case (TFORM1 for
    // TForm1) from the program's resources, applies it, and scales it to the screen.
    // A missing or malformed layout raises EResNotFound or EReadError naming it.
    void InitializeFromLayout();
    // Applies a parsed layout: the form's own properties, then each child created
    // by class name, given its stored properties and assigned to its field.
    void ReadLayout(const TLayoutObject& root);
    // Scales positions, sizes and fonts by multiplier / divisor.
    void ScaleBy(int multiplier, int divisor);

    void Show();
    // Hides the form; closing the main form ends the application's message loop.
    void Close();

    int PixelsPerInch() const { return pixelsPerInch_; }
    int TextHeight() const { return textHeight_; }
    bool OldCreateOrder() const { return oldCreateOrder_; }

    bool ReadProperty(const TLayoutProperty& property) override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    // Stores a component in the published field of that name; false when the form
    // declares no field by the name.
    virtual bool AssignPublishedField(const std::string& name, TComponent* component);

private:
    void ReadChild(const TLayoutObject& child, TWinControl* parent);

    int pixelsPerInch_ = 96;
    int textHeight_ = 13;
    bool oldCreateOrder_ = false;
};

// Checked assignment of a created component to a form's published field.
template <class T> bool AssignField(T*& field, TComponent* component, const std::string& name) {
    field = dynamic_cast<T*>(component);
    if (!field)
        throw EReadError("the component " + name + " does not have the class of its field");
    return true;
}

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize();
    // Creates a form of class T owned by the application and stores it in reference
    // at once; the first form becomes the main form.
    template <class T> void CreateForm(T*& reference) {
        T* form = new T(this);
        reference = form;
        if (!mainForm_)
            mainForm_ = form;
        form->InitializeFromLayout();
    }
    // Shows the main form and runs the message loop until it closes.
    void Run();
    // Dispatches the waiting messages and returns.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The handler of last resort for an exception caught by the framework; call it
    // inside the catch block. By default it shows the exception and goes on.
    void HandleException(TObject* sender);
    // Shows an exception's message in a message box.
    void ShowException(const std::exception& e);

    TForm* MainForm() const { return mainForm_; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    TColor HintColor() const { return hintColor_; }
    void SetHintColor(TColor color) { hintColor_ = color; }

    // Replaces the default showing of exceptions when assigned.
    std::function<void(TObject* sender, const std::exception& e)> OnException;

private:
    bool ProcessMessage(MSG& msg);

    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::string title_;
    TColor hintColor_ = clInfoBk;
};

// Created by the framework unit's initialisation, destroyed by its finalisation.
extern TApplication* Application;

// The framework's units, for the program's unit table.
void FormsInitialization();
void FormsFinalization();

// The last chance of a windowed program: a message box saying what ended it.
void ShowFatalException(const char* where, std::exception_ptr e);
