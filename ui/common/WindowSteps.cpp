#include "WindowSteps.h"

#include "conversion/ConvertConfiguration.h"
#include "platform/File.h"
#include "platform/ShiftJis.h"

namespace {

class Busy {
public:
    explicit Busy(TWindowWidgets& widgets) : widgets_(widgets) { widgets_.BeginBusy(); }
    ~Busy() { widgets_.EndBusy(); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    TWindowWidgets& widgets_;
};

} // namespace

void TWindowSteps::SpeedButton1Click()
{
    const std::optional<std::string> chosen = widgets_.ExecuteOpenDialog();
    if (!chosen) return;
    std::string shown = *chosen;
    std::unique_ptr<DollFiles> doll;
    std::string member;
    if (IsArchiveName(*chosen)) {
        // An archive's doll reads nothing but the archive: the output folder, which may change
        // before the run, is no part of it.
        doll = OpenDoll(*chosen, widgets_.OutputDirectory());
        const std::vector<std::string> names = doll->Configurations();
        if (names.size() > 1) { // several configurations inside: the user picks one
            std::vector<std::string> offered;
            for (const std::string& name : names)
                offered.push_back(platform::FileNameFromShiftJis(name));
            const std::optional<std::size_t> picked = widgets_.ChooseConfiguration(offered);
            if (!picked || *picked >= names.size()) return;
            member = names[*picked];
            doll->SelectConfiguration(member);
            shown += platform::kSeparator + offered[*picked];
        }
    }
    archivePath_ = doll ? *chosen : std::string();
    archiveDoll_ = std::move(doll);
    archiveMember_ = member;
    archiveText_ = shown;
    widgets_.SetInputText(shown);
    widgets_.ChooseDriveOf(*chosen);
}

void TWindowSteps::btnConvClick()
{
    const std::string input = widgets_.InputText();
    if (input.empty()) return;
    const Busy busy(widgets_);
    const std::string output = widgets_.OutputDirectory();
    if (archivePath_.empty() || input != archiveText_)
        return ConvertConfiguration(input, output, controls_);
    std::unique_ptr<DollFiles> doll =
        archiveDoll_ ? std::move(archiveDoll_) : OpenDoll(archivePath_, output);
    if (!archiveMember_.empty()) doll->SelectConfiguration(archiveMember_);
    ConvertDoll(std::move(doll), output, controls_);
}
