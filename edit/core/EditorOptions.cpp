#include "EditorOptions.h"

#include <optional>
#include <string>

#include "PathJoin.h"
#include "ProjectSession.h"
#include "Registry.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdl {

namespace {

constexpr char kDocsFile[] = "docs.htm";
constexpr char kToolsProgram[] = "GDLTools.exe";

}  // namespace

void EditorOptions::Load() {
    std::optional<std::string> port =
        s_.registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port");
    std::optional<long long> portNumber = port ? ParseDecimal(*port) : std::nullopt;
    if (!portNumber || *portNumber > 3) {
        ComClick(1);
    } else if (*portNumber >= 0) {
        ComClick(static_cast<int>(*portNumber) + 1);
    }

    auto option = [this](const char* name) {
        return s_.registry.ReadValue(RegRoot::LocalMachine, kRegKeyAutomation, name).value_or("") ==
               "1";
    };
    s_.includeLevels = option("IncludeLevels");
    s_.populateDesigner = option("PopulateDesigner");
    s_.generatePassword = option("GeneratePassword");
    s_.view.includeLevelsChecked = s_.includeLevels;
    s_.view.populateDesignerChecked = s_.populateDesigner;
    s_.view.generatePasswordChecked = s_.generatePassword;
}

void EditorOptions::ComClick(int port) {
    if (port < 1 || port > 4) return;
    s_.comPort = port;
    for (int i = 0; i < 4; ++i) s_.view.comChecked[static_cast<std::size_t>(i)] = i + 1 == port;
    s_.levelTool->WriteEditBatch(port);
    s_.registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port", std::to_string(port - 1));
    s_.Touch();
}

void EditorOptions::ToggleAutomation(const char* valueName, bool& option, bool& checked) {
    option = !option;
    checked = option;
    s_.registry.WriteValue(RegRoot::LocalMachine, kRegKeyAutomation, valueName, option ? "1" : "0");
    s_.Touch();
}

void EditorOptions::IncludeLevels1Click() {
    ToggleAutomation("IncludeLevels", s_.includeLevels, s_.view.includeLevelsChecked);
}

void EditorOptions::PopulateDesigner1Click() {
    ToggleAutomation("PopulateDesigner", s_.populateDesigner, s_.view.populateDesignerChecked);
}

void EditorOptions::GeneratePassword1Click() {
    ToggleAutomation("GeneratePassword", s_.generatePassword, s_.view.generatePasswordChecked);
}

void EditorOptions::bHelpClick() {
    const std::string docs = FullFolder(JoinPath(s_.toolFolder, "../docs"));
    if (s_.runner.RunTool(kDocsFile, "", docs, true, false) != 0)
        s_.ReportStartFailure("the documentation " + JoinPath(docs, kDocsFile));
}

void EditorOptions::About1Click() {
    if (s_.runner.RunTool(kToolsProgram, "", s_.toolFolder, true, false) != 0)
        s_.ReportStartFailure(JoinPath(s_.toolFolder, kToolsProgram));
}

}  // namespace gdl
