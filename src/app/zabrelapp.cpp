// SPDX-License-Identifier: MIT
#include "app/zabrelapp.h"

#include <filesystem>
#include <string>

#include "app/dialogtexts.h"
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
        CZabrelDlg::showMessageBox(
            nullptr, CZabrelDlg::APP_NAME,
            withDetail(dialogtexts::DICTIONARY_NOT_FOUND, QString::fromStdString(error)));
        return 1;
    }

    CZabrelDlg dialog(CZabrelDlg::showMessageBox, nullptr, folder);
    if (const QString file = fileToOpen(arguments()); !file.isEmpty())
        dialog.openFile(file);
    dialog.exec();
    return 0;
}

QString CZabrelApp::fileToOpen(const QStringList& arguments) {
    // As every editor: the desktop entry and the shell hand over the file to open. Qt
    // has taken its own options out already; "--" ends ours.
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (options && arguments[i] == QLatin1String("--"))
            options = false;
        else if (!options || !arguments[i].startsWith(u'-'))
            return arguments[i];
    }
    return {};
}
