// SPDX-License-Identifier: MIT
// The four front ends over one dictionary, one personal list and the same tricky
// tokens: zabrel-check -a, the checking dialog, libzabrel and the Enchant provider
// (loaded as libenchant loads it, through init_enchant_provider). Each must give the
// same verdict, and the same token once its first suggestion is put in.
#include <dlfcn.h>
#ifdef ENCHANT_PROVIDER
#include <enchant-provider.h>
#include <glib.h>
#endif

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/zabreldlg.h"
#include "cli/subprocess.h"
#include "cli/testdictionary.h"
#include "text/utf8.h"
#include "zabrel/zabrel.h"

namespace {

using Verdicts = std::map<std::string, std::string>;  // token -> "" when correct, else the token corrected

// Diacritic, tatweel, ZWJ, ZWNJ, hyphen, slash, personal words stored with and
// without a mark (written here the other way), a session word, a plain slip, and an
// Arabic kaf for the Urdu one (a slip whose Urdu form comes first).
const std::vector<std::string> TOKENS{"بَزار",      "کتـاب",     "کتا\u200Dب", "کتاب\u200Cشہر",
                                      "کتاب-بزار", "کتاب/بزار", "زبرل",       "زَبرلو",
                                      "زبرلی",     "بزار",      "كتاب"};
const std::string SESSION_WORD = "زبرلی";

std::u16string units(const std::string& text) {
    std::u16string out;
    std::size_t bad = 0;
    zabrel::utf8ToUtf16(text, out, bad);
    return out;
}

// The token with the word at `offset` (in characters) replaced by the suggestion.
std::string corrected(const std::string& token, std::size_t offset, const std::string& word,
                      const std::string& suggestion) {
    std::u16string text = units(token);
    text.replace(offset, units(word).size(), units(suggestion));
    return zabrel::utf16ToUtf8(text);
}

Verdicts fromPipeMode(const std::filesystem::path& dir, const std::filesystem::path& dictionary) {
    std::ofstream input(dir / "tokens.txt", std::ios::binary);
    input << "@" << SESSION_WORD << "\n";
    for (const std::string& token : TOKENS)
        input << "^" << token << "\n";
    input.close();
    const zabrel::test::Outcome run =
        zabrel::test::runProgram({ZABREL_CHECK_PROGRAM, "-a", "--ranking=exact", "-d", dictionary.string(),
                                  "-p", (dir / "data" / "zabrel" / "personal.txt").string()},
                                 dir, (dir / "tokens.txt").string());
    std::vector<std::string> lines;
    for (std::size_t at = run.out.find('\n') + 1, end; (end = run.out.find('\n', at)) != std::string::npos;
         at = end + 1)
        lines.push_back(run.out.substr(at, end - at));
    // One answer per token, each ended by an empty line; the first & or # line decides.
    Verdicts verdicts;
    std::size_t line = 0;
    for (const std::string& token : TOKENS) {
        std::string& verdict = verdicts[token];
        for (; line < lines.size() && !lines[line].empty(); ++line) {
            const std::string& answer = lines[line];
            if (!verdict.empty() || answer[0] == '*')
                continue;
            verdict = "(none)";
            // "& WORD COUNT OFFSET: FIRST, ..." with the offset counting the caret.
            const std::size_t colon = answer.find(": ");
            if (answer[0] != '&' || colon == std::string::npos)
                continue;
            const std::string word = answer.substr(2, answer.find(' ', 2) - 2);
            const std::size_t offset = std::stoul(answer.substr(answer.rfind(' ', colon) + 1)) - 1;
            const std::string first = answer.substr(colon + 2, answer.find(',', colon) - colon - 2);
            verdict = corrected(token, offset, word, first);
        }
        ++line;
    }
    return verdicts;
}

Verdicts fromLibrary(const std::filesystem::path& dictionary) {
    zabrel::Dictionary urdu(dictionary.string());
    urdu.setRanking(zabrel::Dictionary::Ranking::Exact);
    urdu.usePersonalList();
    urdu.addSession(SESSION_WORD);
    Verdicts verdicts;
    for (const std::string& token : TOKENS)
        verdicts[token] = urdu.check(token) ? "" : urdu.suggest(token).at(0);
    return verdicts;
}

#ifdef ENCHANT_PROVIDER
Verdicts fromEnchant() {
    void* module = ::dlopen(ENCHANT_PROVIDER, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        return {{"error", ::dlerror()}};
    using Init = EnchantProvider* (*)();
    auto init = reinterpret_cast<Init>(::dlsym(module, "init_enchant_provider"));
    EnchantProvider* provider = init();
    EnchantDict* dict = provider->request_dict(provider, "ur");
    Verdicts verdicts;
    if (dict == nullptr)
        return {{"error", "no dictionary"}};
    dict->add_to_session(dict, SESSION_WORD.data(), SESSION_WORD.size());
    for (const std::string& token : TOKENS) {
        std::string& verdict = verdicts[token];
        if (dict->check(dict, token.data(), token.size()) == 0)
            continue;
        std::size_t count = 0;
        char** suggestions = dict->suggest(dict, token.data(), token.size(), &count);
        verdict = count > 0 ? suggestions[0] : "(none)";
        g_strfreev(suggestions);
    }
    provider->dispose_dict(provider, dict);
    provider->dispose(provider);
    ::dlclose(module);
    return verdicts;
}
#endif

Verdicts fromDialog(const std::filesystem::path& dictionary) {
    QStringList messages;
    CZabrelDlg dialog([&](QWidget*, const QString&, const QString& text) { messages << text; }, nullptr,
                      dictionary);
    auto* box = dialog.findChild<QTextEdit*>(QStringLiteral("inputBox"));
    auto* check = dialog.findChild<QPushButton*>(QStringLiteral("checkButton"));
    auto* change = dialog.findChild<QPushButton*>(QStringLiteral("changeButton"));
    auto* ignoreAll = dialog.findChild<QPushButton*>(QStringLiteral("ignoreAllButton"));
    const auto paused = [&] { return !check->isEnabled(); };
    box->setPlainText(QString::fromStdString(SESSION_WORD));
    check->click();
    if (paused())
        ignoreAll->click();
    Verdicts verdicts;
    for (const std::string& token : TOKENS) {
        box->setPlainText(QString::fromStdString(token));
        check->click();
        if (paused()) {
            change->click();
            verdicts[token] = box->toPlainText().toStdString();
        } else {
            verdicts[token] = "";
        }
    }
    return verdicts;
}

// One line per token, for a failure that shows what differs.
QString shown(const Verdicts& verdicts) {
    QString text;
    for (const auto& [token, verdict] : verdicts)
        text += QString::fromStdString(token + " -> " + (verdict.empty() ? "correct" : verdict) + "\n");
    return text;
}

}  // namespace

class FrontEndsTest : public QObject {
    Q_OBJECT

private slots:
    void everyFrontEndGivesTheSameVerdictAndFirstSuggestion() {
        QTemporaryDir work;
        const std::filesystem::path dir = work.path().toStdString();
        const std::filesystem::path dictionary = dir / "dict";
        std::filesystem::create_directories(dictionary);
        zabrel::test::makeDictionary(dictionary, zabrel::test::sampleWords());
        // The shared personal list: one word stored with a mark, one without.
        std::filesystem::create_directories(dir / "data" / "zabrel");
        std::ofstream(dir / "data" / "zabrel" / "personal.txt", std::ios::binary) << "زَبرل\nزبرلو\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "data").string()));
        qputenv("ZABREL_SHIPPED_DICTIONARY", QByteArray::fromStdString(dictionary.string()));

        const Verdicts pipe = fromPipeMode(dir, dictionary);
        const Verdicts expected{{"بَزار", "بازار"},
                                {"کتـاب", ""},
                                {"کتا\u200Dب", ""},
                                {"کتاب\u200Cشہر", ""},
                                {"کتاب-بزار", "کتاب-بازار"},
                                {"کتاب/بزار", "کتاب/بازار"},
                                {"زبرل", ""},
                                {"زَبرلو", ""},
                                {"زبرلی", ""},
                                {"بزار", "بازار"},
                                {"كتاب", "کتاب"}};
        QCOMPARE(shown(pipe), shown(expected));
        QCOMPARE(shown(fromLibrary(dictionary)), shown(expected));
        QCOMPARE(shown(fromDialog(dictionary)), shown(expected));
#ifdef ENCHANT_PROVIDER
        qputenv("ZABREL_RANKING", "exact");
        QCOMPARE(shown(fromEnchant()), shown(expected));
        qunsetenv("ZABREL_RANKING");
#endif
        qunsetenv("ZABREL_SHIPPED_DICTIONARY");
    }
};

QTEST_MAIN(FrontEndsTest)
#include "frontends_test.moc"
