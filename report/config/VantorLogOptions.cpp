#include "VantorLogOptions.h"

#include "SysUtils.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

const char kDefaultMailSender[] = "vantorlog@localhost";
const char kDefaultFreezeText[] = "The application seems to be frozen.";
const char kDefaultHtmlTemplate[] =
    "<html>\r\n"
    "  <head>\r\n"
    "  </head>\r\n"
    "  <body TopMargin=10 LeftMargin=10>\r\n"
    "    <table width=\"100%\" border=\"0\">\r\n"
    "      <tr>\r\n"
    "        <td nowrap>\r\n"
    "          <font face=\"Lucida Console, Courier\" size=\"2\">\r\n"
    "            <%HTML_TAG%>\r\n"
    "          </font>\r\n"
    "        </td>\r\n"
    "      </tr>\r\n"
    "    </table>\r\n"
    "  </body>\r\n"
    "</html>";

const std::array<const char*, kReportItemCount> kReportItemNames = {
    "Application|Start Date",
    "Application|Name",
    "Application|Version Number",
    "Application|Parameters",
    "Application|Compilation Date",
    "Exception|Date",
    "Exception|Address",
    "Exception|Module",
    "Exception|Type",
    "Exception|Message",
    "Active Controls|Form Class",
    "Active Controls|Form Text",
    "Active Controls|Control Class",
    "Active Controls|Control Text",
    "Computer|Name",
    "Computer|User",
    "Computer|Total Memory",
    "Computer|Free Memory",
    "Computer|Total Disk",
    "Computer|Free Disk",
    "Computer|System Up Time",
    "Computer|Processor",
    "Computer|Display Mode",
    "Operating System|Type",
    "Operating System|Build #",
    "Operating System|Update",
    "Operating System|Language",
    "Network|IP Address",
    "Network|Submask",
    "Network|Gateway",
    "Network|DNS 1",
    "Network|DNS 2",
    "Network|DHCP",
};

namespace {

uint16_t lastDebugVersion = kOptionsStreamVersion;

// ---- writing

void PutU8(TStream& s, uint8_t v) {
    s.WriteBuffer(&v, 1);
}

void PutU16(TStream& s, uint16_t v) {
    uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    s.WriteBuffer(b, 2);
}

void PutU32(TStream& s, uint32_t v) {
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                    static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    s.WriteBuffer(b, 4);
}

void PutString(TStream& s, const std::string& value) {
    std::string copy = value;
    // A single line break at the very end is not stored.
    size_t crlf = copy.find("\r\n");
    if (copy.size() > 1 && crlf != std::string::npos && crlf == copy.size() - 2)
        copy.resize(copy.size() - 2);
    if (copy.size() > static_cast<size_t>(INT32_MAX))
        throw Exception("String too long for the options stream");
    PutU32(s, static_cast<uint32_t>(copy.size()));
    copy = MaskString(std::move(copy));
    if (!copy.empty())
        s.WriteBuffer(copy.data(), copy.size());
}

// ---- reading: every read is bounded by what the stream still holds

uint8_t GetU8(TStream& s) {
    uint8_t v;
    s.ReadBuffer(&v, 1);
    return v;
}

bool GetBool(TStream& s) {
    return GetU8(s) != 0;
}

uint16_t GetU16(TStream& s) {
    uint8_t b[2];
    s.ReadBuffer(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t GetU32(TStream& s) {
    uint8_t b[4];
    s.ReadBuffer(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

int32_t GetI32(TStream& s) {
    return static_cast<int32_t>(GetU32(s));
}

int64_t Remaining(TStream& s) {
    return s.Size() - s.Position();
}

std::string GetString(TStream& s) {
    int32_t length = GetI32(s);
    if (length < 0 || length > Remaining(s))
        throw EReadError("Invalid string length " + std::to_string(length) +
                         " in the options stream");
    std::string value(static_cast<size_t>(length), '\0');
    if (length > 0)
        s.ReadBuffer(value.data(), value.size());
    return MaskString(std::move(value));
}

uint8_t WithBit(uint8_t flags, uint8_t bit, bool on) {
    return static_cast<uint8_t>(on ? (flags | bit) : (flags & ~bit));
}

uint16_t WithBit16(uint16_t flags, uint16_t bit, bool on) {
    return static_cast<uint16_t>(on ? (flags | bit) : (flags & ~bit));
}

bool InRange(int i, int low, int high) {
    return i >= low && i <= high;
}

// Whether a block of this version stores text i.
bool StoresText(int i, uint16_t v) {
    if (i == 17 && v < 420)
        return false;
    if (i == 16 && v < 421)
        return false;
    if ((InRange(i, 8, 11) || InRange(i, 18, 20) || i == 26 || i == 41 || i == 52) && v < 450)
        return false;
    if (i >= 75 && v < 450)
        return false;
    if ((i == 47 || i == 48) && v < 450)
        return false;
    if ((i == 12 || i == 13 || i == 21 || i == 27 || i == 46 || i == 47 || i == 48 ||
         InRange(i, 54, 61) || InRange(i, 68, 74) || i == 89 || i == 94 || i == 95) &&
        v < 500)
        return false;
    return true;
}

// Before 500 the items came in another order: map the old bits to the new ones.
TReportItems RenumberOldItems(const TReportItems& old) {
    TReportItems items;
    items.Bytes.fill(0);
    auto copy = [&](int newFirst, int oldFirst, int count) {
        for (int k = 0; k < count; ++k)
            items.Set(newFirst + k, old.Has(oldFirst + k));
    };
    copy(0, 0, 4);
    copy(4, 5, 15);
    copy(19, 23, 4);
    copy(23, 32, 8);
    return items;
}

const char* const kPathDelimiters = "\\/:";

size_t ExtensionStart(const std::string& name) {
    size_t dot = name.rfind('.');
    size_t delimiter = name.find_last_of(kPathDelimiters);
    if (dot == std::string::npos || (delimiter != std::string::npos && dot < delimiter))
        return name.size();
    return dot;
}

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::string MaskString(std::string s) {
    for (char& c : s)
        c = static_cast<char>(static_cast<uint8_t>(c) ^ kStringMask);
    return s;
}

std::string PublicationBlockName(uint32_t processId, uint32_t moduleHandle) {
    char name[32];
    std::snprintf(name, sizeof name, "%08X%08XMODULE", processId, moduleHandle);
    return name;
}

uint16_t LastDebugVersion() {
    return lastDebugVersion;
}
void SetLastDebugVersion(uint16_t version) {
    lastDebugVersion = version;
}

void TReportItems::Set(int bit, bool on) {
    uint8_t& b = Bytes[static_cast<size_t>(bit / 8)];
    b = WithBit(b, static_cast<uint8_t>(1u << (bit % 8)), on);
}

// ---- TVantorModuleOptions

TVantorModuleOptions::TVantorModuleOptions(const std::string& moduleFileName, bool publishOnChange)
    : publishOnChange_(publishOnChange), moduleFileName_(moduleFileName) {
    ResetToDefaults();
    updateDepth_ = 0;
}

TVantorModuleOptions::~TVantorModuleOptions() = default;

void TVantorModuleOptions::Changed() {
    if (updateDepth_ <= 0 && publishOnChange_ && ModuleHoldsLibrary())
        PublishChanges();
}

void TVantorModuleOptions::SetEnabled(bool value) {
    Store(enabled_, value);
}
void TVantorModuleOptions::SetFreezeCheck(bool value) {
    Store(freezeCheck_, value);
}

void TVantorModuleOptions::SetText(int index, const std::string& value) {
    Store(texts_.at(static_cast<size_t>(index)), value);
}

void TVantorModuleOptions::ResetToDefaults() {
    BeginUpdate();
    for (int i = 0; i < kTextCount; ++i)
        SetText(i, kDefaultTexts[static_cast<size_t>(i)]);
    SetMailSender(kDefaultMailSender);
    SetMailServer("");
    SetMailLogin("");
    SetMailPassword("");
    SetMailPort(25);
    SetCloseAction(TCloseAction::Restart);
    SetFreezeCheck(false);
    SetFreezeSeconds(60);
    SetFreezeText(kDefaultFreezeText);
    SetReportItems(TReportItems{});
    SetLogActive(false);
    SetFiltersActive(true);
    SetLogInMailBody(false);
    SetCloseButtonVisible(true);
    SetSaveLog(true);
    SetLogFlags(lfModulesSection | lfCpuSection);
    SetSendFlags(sfShowSendProgress | sfAttachScreenshot | sfAttachLastPage);
    SetStartTab(0);
    SetLogCapacity(32);
    SetCloseButtonAfter(3);
    SetLogFolder("");
    SetMailRecipients("");
    SetMailSubject("");
    SetMailBody("");
    SetMailMethod(TMailMethod::None);
    SetWebMethod(TWebMethod::None);
    SetExtraFiles("");
    SetDialogFlags(dfShowException | dfSendChecked | dfScreenshotChecked | dfCopyOption |
                   dfDetailsButton);
    SetDialogCloseSeconds(0);
    SetSupportAddress("");
    SetHtmlTemplate(kDefaultHtmlTemplate);
    SetRepeatAction(TCloseAction::Restart);
    SetRepeatLimit(10);
    SetRepeatMinutes(1);
    SetStackFlags(kfLibraryFrames | kfPackageFrames | kfRuntimeThreads | kfSystemThreads);
    SetBehaviourFlags(bfUseMainModuleOptions | bfClipboardOnSendFailure);
    SetWebAddress("");
    SetWebServerPort(0);
    SetWebServerPassword("");
    SetWebServerLogin("");
    SetEnabled(true);
    EndUpdate();
    Changed();
}

void TVantorModuleOptions::Assign(const TVantorModuleOptions* source) {
    if (!source)
        throw EConvertError("Impossible to assign nil as TVantorModuleOptions.");
    if (source == this)
        return;
    const TVantorModuleOptions& s = *source;
    BeginUpdate();
    try {
        filterClasses_.Assign(s.filterClasses_);
        filterTexts_.Assign(s.filterTexts_);
        for (int i = 0; i < kTextCount; ++i)
            SetText(i, s.Text(i));
        SetLogActive(s.logActive_);
        SetSaveLog(s.saveLog_);
        SetFreezeCheck(s.freezeCheck_);
        SetFreezeSeconds(s.freezeSeconds_);
        SetFreezeText(s.freezeText_);
        SetMailSender(s.mailSender_);
        SetMailServer(s.mailServer_);
        SetMailPort(s.mailPort_);
        SetMailLogin(s.mailLogin_);
        SetMailPassword(s.mailPassword_);
        SetStartTab(s.startTab_);
        SetFiltersActive(s.filtersActive_);
        SetLogInMailBody(s.logInMailBody_);
        SetCloseButtonVisible(s.closeButtonVisible_);
        SetCloseAction(s.closeAction_);
        SetLogFlags(s.logFlags_);
        SetLogCapacity(s.logCapacity_);
        SetCloseButtonAfter(s.closeButtonAfter_);
        SetLogFolder(s.logFolder_);
        SetMailRecipients(s.mailRecipients_);
        SetMailSubject(s.mailSubject_);
        SetMailBody(s.mailBody_);
        SetMailMethod(s.mailMethod_);
        SetReportItems(s.reportItems_);
        SetWebMethod(s.webMethod_);
        SetWebAddress(s.webAddress_);
        SetWebServerLogin(s.webServerLogin_);
        SetWebServerPassword(s.webServerPassword_);
        SetWebServerPort(s.webServerPort_);
        SetSendFlags(s.sendFlags_);
        SetExtraFiles(s.extraFiles_);
        SetDialogFlags(s.dialogFlags_);
        SetDialogCloseSeconds(s.dialogCloseSeconds_);
        SetSupportAddress(s.supportAddress_);
        SetHtmlTemplate(s.htmlTemplate_);
        SetStackFlags(s.stackFlags_);
        SetBehaviourFlags(s.behaviourFlags_);
        SetRepeatAction(s.repeatAction_);
        SetRepeatLimit(s.repeatLimit_);
        SetRepeatMinutes(s.repeatMinutes_);
    } catch (...) {
        EndUpdate();
        Changed();
        throw;
    }
    EndUpdate();
    Changed();
}

void TVantorModuleOptions::SaveToStream(TStream& s) const {
    PutU8(s, logActive_);
    PutU8(s, filtersActive_);
    PutU8(s, logFlags_);
    PutU8(s, logInMailBody_);
    PutU8(s, saveLog_);
    PutU8(s, startTab_);
    PutU8(s, freezeCheck_);
    PutU32(s, static_cast<uint32_t>(freezeSeconds_));
    PutString(s, freezeText_);
    PutString(s, mailSender_);
    PutString(s, mailServer_);
    PutU16(s, static_cast<uint16_t>(mailPort_));
    PutString(s, mailLogin_);
    PutString(s, mailPassword_);
    PutU8(s, static_cast<uint8_t>(closeAction_));
    PutU8(s, closeButtonVisible_);
    PutU32(s, static_cast<uint32_t>(logCapacity_));
    PutU32(s, static_cast<uint32_t>(closeButtonAfter_));
    PutString(s, mailRecipients_);
    PutString(s, mailSubject_);
    PutU8(s, static_cast<uint8_t>(mailMethod_));
    s.WriteBuffer(reportItems_.Bytes.data(), reportItems_.Bytes.size());
    PutString(s, logFolder_);
    PutU8(s, static_cast<uint8_t>(webMethod_));
    PutString(s, webAddress_);
    PutString(s, webServerLogin_);
    PutString(s, webServerPassword_);
    PutU32(s, webServerPort_);
    PutString(s, extraFiles_);
    PutU16(s, sendFlags_);
    PutU8(s, dialogFlags_);
    PutU32(s, static_cast<uint32_t>(dialogCloseSeconds_));
    PutString(s, supportAddress_);
    PutString(s, htmlTemplate_);
    PutU8(s, stackFlags_);
    PutU8(s, behaviourFlags_);
    PutU8(s, static_cast<uint8_t>(repeatAction_));
    PutU32(s, static_cast<uint32_t>(repeatLimit_));
    PutU32(s, static_cast<uint32_t>(repeatMinutes_));
    const int pairs = std::max(filterClasses_.Count(), filterTexts_.Count());
    PutU32(s, static_cast<uint32_t>(pairs));
    for (int i = 0; i < pairs; ++i) {
        PutString(s, i < filterClasses_.Count() ? filterClasses_[i] : std::string());
        PutString(s, i < filterTexts_.Count() ? filterTexts_[i] : std::string());
    }
    PutString(s, mailBody_);
    for (const auto& text : texts_)
        PutString(s, text);
}

void TVantorModuleOptions::LoadFromStream(TStream& stream) {
    LoadFromStream(stream, lastDebugVersion);
}

void TVantorModuleOptions::LoadFromStream(TStream& s, uint16_t v) {
    BeginUpdate();
    struct Bracket {
        TVantorModuleOptions& o;
        ~Bracket() {
            o.EndUpdate();
            o.Changed();
        }
    } bracket{*this};

    SetLogActive(GetBool(s));
    SetFiltersActive(GetBool(s));
    SetLogFlags(GetU8(s));
    if (v < 500) {
        uint8_t b = GetU8(s);
        if (v < 450)
            b ^= 1;
        SetDialogFlags(WithBit(dialogFlags_, dfShowException, b != 0));
    }
    SetLogInMailBody(GetBool(s));
    if (v >= 450 && v <= 499) {
        SetSendFlags(WithBit16(sendFlags_, sfWholeLog, GetBool(s)));
        SetSendFlags(WithBit16(sendFlags_, sfAttachScreenshot, GetBool(s)));
        SetSendFlags(WithBit16(sendFlags_, sfShowSendProgress, GetBool(s)));
    }
    if (v > 400) {
        SetSaveLog(GetBool(s));
        SetStartTab(GetU8(s));
    }
    if (v >= 403 && v <= 499)
        SetDialogFlags(WithBit(dialogFlags_, dfOwnLook, GetBool(s)));
    if (v >= 420) {
        SetFreezeCheck(GetBool(s));
        int32_t seconds = GetI32(s);
        SetFreezeSeconds(v == 420 || v == 421 ? seconds / 1000 : seconds);
        SetFreezeText(GetString(s));
        if (v >= 450)
            SetMailSender(GetString(s));
    }
    SetMailServer(GetString(s));
    if (v >= 450)
        SetMailPort(static_cast<int16_t>(GetU16(s)));
    if (v > 420) {
        SetMailLogin(GetString(s));
        SetMailPassword(GetString(s));
        SetCloseAction(static_cast<TCloseAction>(GetU8(s)));
    }
    SetCloseButtonVisible(GetBool(s));
    SetLogCapacity(GetI32(s));
    SetCloseButtonAfter(GetI32(s));
    SetMailRecipients(GetString(s));
    SetMailSubject(GetString(s));
    auto method = static_cast<TMailMethod>(GetU8(s));
    if (v < 450 && method != TMailMethod::None)
        method = mailServer_.empty() ? TMailMethod::MailClient : TMailMethod::SmtpServer;
    SetMailMethod(method);
    TReportItems items = reportItems_;
    if (v >= 500) {
        s.ReadBuffer(items.Bytes.data(), 5);
    } else {
        s.ReadBuffer(items.Bytes.data(), 4);
        items = RenumberOldItems(items);
    }
    SetReportItems(items);
    if (v < 450)
        GetU8(s);
    SetLogFolder(GetString(s));
    if (v >= 500) {
        SetWebMethod(static_cast<TWebMethod>(GetU8(s)));
        SetWebAddress(GetString(s));
        SetWebServerLogin(GetString(s));
        SetWebServerPassword(GetString(s));
        SetWebServerPort(GetU32(s));
        SetExtraFiles(GetString(s));
        SetSendFlags(GetU16(s));
        SetDialogFlags(GetU8(s));
        SetDialogCloseSeconds(GetI32(s));
        SetSupportAddress(GetString(s));
        SetHtmlTemplate(GetString(s));
        SetStackFlags(GetU8(s));
        SetBehaviourFlags(GetU8(s));
        SetRepeatAction(static_cast<TCloseAction>(GetU8(s)));
        SetRepeatLimit(GetI32(s));
        SetRepeatMinutes(GetI32(s));
    }
    filterClasses_.Clear();
    filterTexts_.Clear();
    int32_t pairs = GetI32(s);
    // Each pair takes at least its two lengths.
    if (pairs < 0 || pairs > Remaining(s) / 8)
        throw EReadError("Invalid filter count " + std::to_string(pairs) +
                         " in the options stream");
    for (int32_t i = 0; i < pairs; ++i) {
        filterClasses_.Add(GetString(s));
        filterTexts_.Add(GetString(s));
    }
    SetMailBody(GetString(s));
    for (int i = 0; i < kTextCount; ++i)
        if (StoresText(i, v))
            SetText(i, GetString(s));
}

std::string TVantorModuleOptions::LogFileName(const std::string& name,
                                              const std::string& computerName) const {
    std::string file = name.empty() ? moduleFileName_ : name;
    file = file.substr(0, ExtensionStart(file)) + ".elf";
    std::string result;
    const size_t folderExt = ExtensionStart(logFolder_);
    if (!SameText(logFolder_.substr(folderExt), ".elf")) {
        size_t delimiter = file.find_last_of(kPathDelimiters);
        std::string folder = logFolder_;
        if (folder.empty() && delimiter != std::string::npos)
            folder = file.substr(0, delimiter + 1);
        // A module named without a folder keeps its log in the current folder, not at
        // the root of the drive.
        if (!folder.empty() && folder.back() != '\\')
            folder += '\\';
        result = folder + (delimiter == std::string::npos ? file : file.substr(delimiter + 1));
    } else {
        result = logFolder_;
    }
    if (logFlags_ & lfComputerNameInLogName) {
        std::string computer = computerName;
        for (char& c : computer)
            if (std::strchr("\"*/:<>?\\|", c) && c != '\0')
                c = '_';
        size_t ext = ExtensionStart(result);
        result = result.substr(0, ext) + "_" + computer + result.substr(ext);
    }
    return result;
}
