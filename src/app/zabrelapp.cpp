// SPDX-License-Identifier: MIT
#include "app/zabrelapp.h"

#include <filesystem>
#include <string>

#include "app/zabreldlg.h"
#include "programs/dictionaryfolder.h"

CZabrelApp::CZabrelApp(int& argc, char** argv) : QApplication(argc, argv) {
    // The settings location keeps its historical name; the dialog stores its own
    // settings under Zabrel.
    setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    setApplicationName(CZabrelDlg::APP_NAME);
    setApplicationVersion(QStringLiteral(ZABREL_VERSION));
    setWindowIcon(CZabrelDlg::applicationIcon());
}

int CZabrelApp::initInstance() {
    std::string error;
    const std::filesystem::path folder = zabrel::DictionaryFolder::locate({}, error);
    if (folder.empty()) {
        CZabrelDlg::showMessageBox(nullptr, CZabrelDlg::APP_NAME, QString::fromStdString(error));
        return 1;
    }

    CZabrelDlg dialog(CZabrelDlg::showMessageBox, nullptr, folder);
    dialog.exec();
    return 0;
}
