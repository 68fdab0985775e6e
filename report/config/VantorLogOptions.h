// The options that govern the reporting library, one object per module, with
// their defaults, copying rules, update brackets and stored form. Portable.
#pragma once

#include "Classes.h"
#include "VantorLogTexts.h"

#include <array>
#include <cstdint>
#include <string>

// What the dialog's terminate button, the automatic action and the repeat watch do.
enum class TCloseAction : uint8_t { Terminate = 0, Restart = 1 };
enum class TMailMethod : uint8_t { None = 0, MailClient = 1, SmtpServer = 2, SmtpDirect = 3 };
enum class TWebMethod : uint8_t { None = 0, Http = 1, Https = 2, Ftp = 3 };

// LogFlags bits.
enum : uint8_t {
    lfSkipRepeatedErrors = 1 << 0,
    lfAskForSteps = 1 << 1,
    lfClearLogOnNewVersion = 1 << 2,
    lfComputerNameInLogName = 1 << 3,
    lfModulesSection = 1 << 4,
    lfCpuSection = 1 << 5,
};

// SendFlags bits.
enum : uint16_t {
    sfShowSendProgress = 1 << 0,
    sfReportSendResult = 1 << 1,
    sfWholeLog = 1 << 2,
    sfAttachXmlCopy = 1 << 3,
    sfAttachScreenshot = 1 << 4,
    sfScreenshotActiveWindow = 1 << 5,
    sfAttachLastPage = 1 << 6,
    sfSendInBackground = 1 << 7,
    sfTimestampCopies = 1 << 8,
    sfPackAttachments = 1 << 9,
};

// DialogFlags bits.
enum : uint8_t {
    dfShowException = 1 << 0,
    dfSendChecked = 1 << 1,
    dfScreenshotChecked = 1 << 2,
    dfCopyOption = 1 << 3,
    dfDetailsButton = 1 << 4,
    dfDetailsOpen = 1 << 5,
    dfStayOnTop = 1 << 6,
    dfOwnLook = 1 << 7,
};

// StackFlags bits.
enum : uint8_t {
    kfLibraryFrames = 1 << 0,
    kfPackageFrames = 1 << 1,
    kfRuntimeThreads = 1 << 2,
    kfSystemThreads = 1 << 3,
    kfRelativeLines = 1 << 4,
};

// BehaviourFlags bits.
enum : uint8_t {
    bfRepeatWatch = 1 << 0,
    bfPauseRuntimeThreads = 1 << 1,
    bfKeepMainThreadRunning = 1 << 2,
    bfPauseSystemThreads = 1 << 3,
    bfUseMainModuleOptions = 1 << 4,
    bfClipboardOnSendFailure = 1 << 5,
    bfKeepFilesOnSendFailure = 1 << 6,
};

// Which header lines the report shows: 40 bits, bit n in bit n mod 8 of byte n div 8.
struct TReportItems {
    std::array<uint8_t, 5> Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    bool Has(int bit) const { return (Bytes[bit / 8] >> (bit % 8)) & 1; }
    void Set(int bit, bool on);
    bool operator==(const TReportItems&) const = default;
};

constexpr int kReportItemCount = 33;
// "Section|Label" of the report's header lines, by ReportItems bit.
extern const std::array<const char*, kReportItemCount> kReportItemNames;

// The version of the stored form that SaveToStream writes.
constexpr uint16_t kOptionsStreamVersion = 505;
// Stored strings are XORed with this byte.
constexpr uint8_t kStringMask = 0x3D;
// The same routine masks and unmasks.
std::string MaskString(std::string s);

// Name of the shared block through which a module's options are published:
// process id and module handle as 8 upper-case hex digits each, then "MODULE".
std::string PublicationBlockName(uint32_t processId, uint32_t moduleHandle);

// The version of the debug block read most recently; LoadFromStream reads its layout.
uint16_t LastDebugVersion();
void SetLastDebugVersion(uint16_t version);

extern const char kDefaultHtmlTemplate[];
extern const char kDefaultMailSender[];
extern const char kDefaultFreezeText[];

class TVantorModuleOptions : public TObject {
public:
    TVantorModuleOptions(const std::string& moduleFileName, bool publishOnChange);
    ~TVantorModuleOptions() override;
    TVantorModuleOptions(const TVantorModuleOptions&) = delete;
    TVantorModuleOptions& operator=(const TVantorModuleOptions&) = delete;

    virtual void PublishChanges() {}
    virtual void SetEnabled(bool value);
    virtual void SetFreezeCheck(bool value);
    // Copies every option but Enabled, ModuleFileName, PublishOnChange and UpdateDepth.
    // A missing source raises EConvertError.
    virtual void Assign(const TVantorModuleOptions* source);
    // Every option to its default and the default texts; the filters stay.
    virtual void ResetToDefaults();
    virtual void SaveToStream(TStream& stream) const;
    // Reads the layout of LastDebugVersion().
    virtual void LoadFromStream(TStream& stream);
    // Reads the layout of the given version, inside one update bracket. Raises
    // EReadError when the stream ends early or a string length is impossible.
    void LoadFromStream(TStream& stream, uint16_t version);

    void BeginUpdate() { ++updateDepth_; }
    void EndUpdate() { --updateDepth_; }
    // Publishes when no bracket is open, publication is on and these are the options
    // of the module that holds the library.
    void Changed();

    bool PublishOnChange() const { return publishOnChange_; }
    int32_t UpdateDepth() const { return updateDepth_; }
    const std::string& ModuleFileName() const { return moduleFileName_; }

    // Log file of a module: name (empty for ModuleFileName) with ".elf", in LogFolder
    // or beside the module, or LogFolder itself when it ends in ".elf"; with
    // ComputerNameInLogName the computer's name before the extension.
    std::string LogFileName(const std::string& name) const;
    // The same with the computer's name given (for the portable core and its tests).
    std::string LogFileName(const std::string& name, const std::string& computerName) const;

    const std::string& Text(int index) const { return texts_.at(static_cast<size_t>(index)); }
    void SetText(int index, const std::string& value);

    TStringList& FilterClasses() { return filterClasses_; }
    TStringList& FilterTexts() { return filterTexts_; }
    const TStringList& FilterClasses() const { return filterClasses_; }
    const TStringList& FilterTexts() const { return filterTexts_; }

    // Field access, in declaration order.
    const std::string& MailSender() const { return mailSender_; }
    void SetMailSender(const std::string& v) { Store(mailSender_, v); }
    const std::string& MailServer() const { return mailServer_; }
    void SetMailServer(const std::string& v) { Store(mailServer_, v); }
    const std::string& MailLogin() const { return mailLogin_; }
    void SetMailLogin(const std::string& v) { Store(mailLogin_, v); }
    const std::string& MailPassword() const { return mailPassword_; }
    void SetMailPassword(const std::string& v) { Store(mailPassword_, v); }
    int16_t MailPort() const { return mailPort_; }
    void SetMailPort(int16_t v) { Store(mailPort_, v); }
    TCloseAction CloseAction() const { return closeAction_; }
    void SetCloseAction(TCloseAction v) { Store(closeAction_, v); }
    bool FreezeCheck() const { return freezeCheck_; }
    int32_t FreezeSeconds() const { return freezeSeconds_; }
    void SetFreezeSeconds(int32_t v) { Store(freezeSeconds_, v); }
    const std::string& FreezeText() const { return freezeText_; }
    void SetFreezeText(const std::string& v) { Store(freezeText_, v); }
    const TReportItems& ReportItems() const { return reportItems_; }
    void SetReportItems(const TReportItems& v) { Store(reportItems_, v); }
    bool LogActive() const { return logActive_; }
    void SetLogActive(bool v) { Store(logActive_, v); }
    bool FiltersActive() const { return filtersActive_; }
    void SetFiltersActive(bool v) { Store(filtersActive_, v); }
    bool LogInMailBody() const { return logInMailBody_; }
    void SetLogInMailBody(bool v) { Store(logInMailBody_, v); }
    bool CloseButtonVisible() const { return closeButtonVisible_; }
    void SetCloseButtonVisible(bool v) { Store(closeButtonVisible_, v); }
    bool SaveLog() const { return saveLog_; }
    void SetSaveLog(bool v) { Store(saveLog_, v); }
    uint8_t LogFlags() const { return logFlags_; }
    void SetLogFlags(uint8_t v) { Store(logFlags_, v); }
    uint16_t SendFlags() const { return sendFlags_; }
    void SetSendFlags(uint16_t v) { Store(sendFlags_, v); }
    uint8_t StartTab() const { return startTab_; }
    void SetStartTab(uint8_t v) { Store(startTab_, v); }
    int32_t LogCapacity() const { return logCapacity_; }
    void SetLogCapacity(int32_t v) { Store(logCapacity_, v == 0 ? 1 : v); }
    int32_t CloseButtonAfter() const { return closeButtonAfter_; }
    void SetCloseButtonAfter(int32_t v) { Store(closeButtonAfter_, v); }
    const std::string& LogFolder() const { return logFolder_; }
    void SetLogFolder(const std::string& v) { Store(logFolder_, v); }
    const std::string& MailRecipients() const { return mailRecipients_; }
    void SetMailRecipients(const std::string& v) { Store(mailRecipients_, v); }
    const std::string& MailSubject() const { return mailSubject_; }
    void SetMailSubject(const std::string& v) { Store(mailSubject_, v); }
    const std::string& MailBody() const { return mailBody_; }
    void SetMailBody(const std::string& v) { Store(mailBody_, v); }
    TMailMethod MailMethod() const { return mailMethod_; }
    void SetMailMethod(TMailMethod v) { Store(mailMethod_, v); }
    TWebMethod WebMethod() const { return webMethod_; }
    void SetWebMethod(TWebMethod v) { Store(webMethod_, v); }
    const std::string& ExtraFiles() const { return extraFiles_; }
    void SetExtraFiles(const std::string& v) { Store(extraFiles_, v); }
    uint8_t DialogFlags() const { return dialogFlags_; }
    void SetDialogFlags(uint8_t v) { Store(dialogFlags_, v); }
    int32_t DialogCloseSeconds() const { return dialogCloseSeconds_; }
    void SetDialogCloseSeconds(int32_t v) { Store(dialogCloseSeconds_, v); }
    const std::string& SupportAddress() const { return supportAddress_; }
    void SetSupportAddress(const std::string& v) { Store(supportAddress_, v); }
    const std::string& HtmlTemplate() const { return htmlTemplate_; }
    void SetHtmlTemplate(const std::string& v) { Store(htmlTemplate_, v); }
    TCloseAction RepeatAction() const { return repeatAction_; }
    void SetRepeatAction(TCloseAction v) { Store(repeatAction_, v); }
    int32_t RepeatLimit() const { return repeatLimit_; }
    void SetRepeatLimit(int32_t v) { Store(repeatLimit_, v); }
    int32_t RepeatMinutes() const { return repeatMinutes_; }
    void SetRepeatMinutes(int32_t v) { Store(repeatMinutes_, v); }
    uint8_t StackFlags() const { return stackFlags_; }
    void SetStackFlags(uint8_t v) { Store(stackFlags_, v); }
    uint8_t BehaviourFlags() const { return behaviourFlags_; }
    void SetBehaviourFlags(uint8_t v) { Store(behaviourFlags_, v); }
    const std::string& WebAddress() const { return webAddress_; }
    void SetWebAddress(const std::string& v) { Store(webAddress_, v); }
    uint32_t WebServerPort() const { return webServerPort_; }
    void SetWebServerPort(uint32_t v) { Store(webServerPort_, v); }
    const std::string& WebServerPassword() const { return webServerPassword_; }
    void SetWebServerPassword(const std::string& v) { Store(webServerPassword_, v); }
    const std::string& WebServerLogin() const { return webServerLogin_; }
    void SetWebServerLogin(const std::string& v) { Store(webServerLogin_, v); }
    bool Enabled() const { return enabled_; }

protected:
    // True when ModuleFileName names the module that holds the library.
    virtual bool ModuleHoldsLibrary() const { return false; }
    // Stores without calling Changed, for the overrides of SetEnabled and SetFreezeCheck.
    void StoreEnabled(bool v) { enabled_ = v; }
    void StoreFreezeCheck(bool v) { freezeCheck_ = v; }

private:
    // The string lists announce their changes through Changed.
    class TOptionsList : public TStringList {
    public:
        explicit TOptionsList(TVantorModuleOptions& owner) : owner_(owner) {}

    protected:
        void Changed() override {
            TStringList::Changed();
            owner_.Changed();
        }

    private:
        TVantorModuleOptions& owner_;
    };

    template <class T, class V> void Store(T& field, const V& value) {
        field = value;
        Changed();
    }

    bool publishOnChange_;
    int32_t updateDepth_ = 0;
    std::string mailSender_;
    std::string mailServer_;
    std::string mailLogin_;
    std::string mailPassword_;
    int16_t mailPort_ = 25;
    TCloseAction closeAction_ = TCloseAction::Restart;
    bool freezeCheck_ = false;
    int32_t freezeSeconds_ = 60;
    std::string freezeText_;
    std::string moduleFileName_;
    TReportItems reportItems_;
    TOptionsList filterClasses_{*this};
    TOptionsList filterTexts_{*this};
    std::array<std::string, kTextCount> texts_;
    bool logActive_ = false;
    bool filtersActive_ = true;
    bool logInMailBody_ = false;
    bool closeButtonVisible_ = true;
    bool saveLog_ = true;
    uint8_t logFlags_ = lfModulesSection | lfCpuSection;
    uint16_t sendFlags_ = sfShowSendProgress | sfAttachScreenshot | sfAttachLastPage;
    uint8_t startTab_ = 0;
    int32_t logCapacity_ = 32;
    int32_t closeButtonAfter_ = 3;
    std::string logFolder_;
    std::string mailRecipients_;
    std::string mailSubject_;
    std::string mailBody_;
    TMailMethod mailMethod_ = TMailMethod::None;
    TWebMethod webMethod_ = TWebMethod::None;
    std::string extraFiles_;
    uint8_t dialogFlags_ =
        dfShowException | dfSendChecked | dfScreenshotChecked | dfCopyOption | dfDetailsButton;
    int32_t dialogCloseSeconds_ = 0;
    std::string supportAddress_;
    std::string htmlTemplate_;
    TCloseAction repeatAction_ = TCloseAction::Restart;
    int32_t repeatLimit_ = 10;
    int32_t repeatMinutes_ = 1;
    uint8_t stackFlags_ = kfLibraryFrames | kfPackageFrames | kfRuntimeThreads | kfSystemThreads;
    uint8_t behaviourFlags_ = bfUseMainModuleOptions | bfClipboardOnSendFailure;
    std::string webAddress_;
    uint32_t webServerPort_ = 0;
    std::string webServerPassword_;
    std::string webServerLogin_;
    bool enabled_ = true;
};
