// SPDX-License-Identifier: MIT
// zabrel-server's protocol end to end: LanguageTool's /v2/languages and /v2/check byte
// for byte, annotated text, the rules a client chooses, every refusal, the personal
// list, the page's files, the log and SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>

#include "cli/testdictionary.h"
#include "server/serverprocess.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

const std::string SOFTWARE = R"({"software":{"name":"Zabrel","version":")" ZABREL_VERSION
                             R"(","buildDate":null,"apiVersion":1,"premium":false,"status":""},)"
                             R"("warnings":{"incompleteResults":false},)";
const std::string TYPOS = R"("category":{"id":"TYPOS","name":"املا اور ٹائپنگ کی غلطیاں"}})";
const std::string SPELLING_RULE =
    R"("type":{"typeName":"UnknownWord"},"rule":{"id":"ZABREL_UR_SPELLING","description":"املا کی غلطیاں",)"
    R"("issueType":"misspelling",)" +
    TYPOS + R"(,"ignoreForIncompleteSentence":false,"contextForSureMatch":0})";
const std::string SPELLING_MESSAGE =
    R"({"message":"اس لفظ کا املا شاید غلط ہے۔","shortMessage":"املا کی غلطی",)";

std::string languageOf(const std::string& name, const std::string& code) {
    return R"("language":{"name":")" + name + R"(","code":")" + code + R"(","detectedLanguage":{"name":")" +
           name + R"(","code":")" + code + R"(","confidence":1.0}},)";
}

// A message as JSON writes it inside its quotes.
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '"' ? std::string("\\\"") : std::string(1, c);
    return out;
}

std::string jsonAnswer(int status, const std::string& reason, const std::string& body,
                       bool anyOrigin = true) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n" +
           (anyOrigin ? "Access-Control-Allow-Origin: *\r\n" : "") +
           "Connection: close\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nContent-Type: application/json\r\n\r\n" + body;
}

// A dictionary of a few words, and a context model in which سخت ہزار and بڑے شہر are
// what running text writes.
void writeDictionary(const fs::path& folder) {
    fs::create_directories(folder);
    std::vector<ListedWord> words = sampleWords();
    words.insert(words.end(), {{u"بڑی", 90}, {u"بڑے", 90}, {u"بڑےشہر", 2}, {u"کو", 900}});
    makeDictionary(folder, words);
    writeContextModel(folder.string(), {{u"سخت", u"ہزار"}, {u"بڑے", u"شہر"}});
}

class Protocol : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempDir;
        writeDictionary(dir->path() / "dict");
        // Weights strong enough for this small model to flag slips and run-together words.
        server = new ServerProcess({ZABREL_SERVER_PROGRAM, "--listen", "127.0.0.1:0", "-d", "dict",
                                    "--context-weights=1,1,2,5", "--max-text-length", "200"},
                                   dir->path());
        ASSERT_GT(server->port(), 0) << server->banner() << server->log();
    }
    static void TearDownTestSuite() {
        delete server;
        delete dir;
    }

    static std::string check(const std::string& form) { return post(server->port(), "/v2/check", form); }

    static TempDir* dir;
    static ServerProcess* server;
};

TempDir* Protocol::dir = nullptr;
ServerProcess* Protocol::server = nullptr;

TEST_F(Protocol, languages_and_a_check_answer_byte_for_byte_in_utf16_units) {
    EXPECT_EQ(exchange(server->port(), "GET /v2/languages HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
              jsonAnswer(200, "OK",
                         R"([{"name":"Urdu","code":"ur","longCode":"ur"},)"
                         R"~({"name":"Urdu (Pakistan)","code":"ur","longCode":"ur-PK"},)~"
                         R"~({"name":"Urdu (India)","code":"ur","longCode":"ur-IN"}])~"));

    // 𝐀 is two UTF-16 units and CR LF two more: بزار starts at unit 13 (at code point 12,
    // at byte 22). After سخت the model wants ہزار.
    const std::string text = "\xF0\x9D\x90\x80 کتاب\r\nسخت بزار۔ شہر";
    EXPECT_EQ(
        check("language=ur-PK&text=" + formValue(text)),
        jsonAnswer(200, "OK",
                   SOFTWARE + languageOf("Urdu (Pakistan)", "ur-PK") + R"("matches":[)" + SPELLING_MESSAGE +
                       R"("replacements":[{"value":"ہزار"},{"value":"بازار"}],"offset":13,"length":4,)"
                       R"("context":{"text":"𝐀 کتاب  سخت بزار۔ شہر","offset":13,"length":4},)"
                       R"("sentence":"سخت بزار۔",)" +
                       SPELLING_RULE + "]}"));

    // auto answers Urdu; ur_in is read as ur-IN; a correct text has no match.
    EXPECT_EQ(bodyOf(check("language=auto&text=" + formValue("کتاب"))),
              SOFTWARE + languageOf("Urdu", "ur") + R"("matches":[]})");
    EXPECT_EQ(bodyOf(check("text=" + formValue("کتاب") + "&language=ur_IN")),
              SOFTWARE + languageOf("Urdu (India)", "ur-IN") + R"("matches":[]})");
}

TEST_F(Protocol, annotated_data_skips_markup_reads_interpret_as_and_places_matches_in_the_document) {
    // Document: <p>𝐀</p>بزار <b>بزار</b>  The checked text: "\n𝐀\n\nبزار بزار".
    const std::string data =
        R"({"annotation":[{"markup":"<p>","interpretAs":"\n"},{"text":"𝐀"},{"markup":"</p>","interpretAs":"\n\n"},)"
        R"({"text":"بزار "},{"markup":"<b>"},{"text":"بزار"},{"markup":"</b>"}]})";
    const std::string body = bodyOf(check("language=ur&data=" + formValue(data)));
    // In the document the first بزار starts after <p>, 𝐀 and </p>: 3 + 2 + 4 = 9; the
    // second after "بزار " and <b>: 9 + 5 + 3 = 17.
    EXPECT_NE(body.find(R"("offset":9,"length":4,"context":{"text":" 𝐀  بزار بزار","offset":5,"length":4})"),
              std::string::npos)
        << body;
    EXPECT_NE(
        body.find(R"("offset":17,"length":4,"context":{"text":" 𝐀  بزار بزار","offset":10,"length":4})"),
        std::string::npos)
        << body;
    EXPECT_EQ(body.find("<b>"), std::string::npos) << body;
}

TEST_F(Protocol, each_kind_of_match_is_a_rule_a_client_chooses_by_id_category_and_level) {
    // بزار is misspelt, با زار a broken word, بڑےشہر run together, بڑی before شہر a slip.
    const std::string text = formValue("بزار۔ سخت با زار۔ بڑےشہر۔ بڑی شہر");
    const auto rules = [&](const std::string& extra) {
        const std::string body = bodyOf(check("language=ur-PK&text=" + text + extra));
        std::string ids;
        for (std::size_t at = body.find(R"("rule":{"id":")"); at != std::string::npos;
             at = body.find(R"("rule":{"id":")", at + 1))
            ids += body.substr(at + 14, body.find('"', at + 14) - at - 14) + " ";
        return ids;
    };
    EXPECT_EQ(rules(""), "ZABREL_UR_SPELLING ZABREL_UR_BROKEN_WORD ZABREL_UR_RUN_TOGETHER ");
    EXPECT_EQ(rules("&level=picky"),
              "ZABREL_UR_SPELLING ZABREL_UR_BROKEN_WORD ZABREL_UR_RUN_TOGETHER ZABREL_UR_REAL_WORD ");
    EXPECT_EQ(
        rules("&enabledRules=ZABREL_UR_REAL_WORD&disabledRules=ZABREL_UR_SPELLING,ZABREL_UR_BROKEN_WORD"),
        "ZABREL_UR_RUN_TOGETHER ZABREL_UR_REAL_WORD ");
    EXPECT_EQ(rules("&enabledRules=ZABREL_UR_BROKEN_WORD&enabledOnly=true"), "ZABREL_UR_BROKEN_WORD ");
    EXPECT_EQ(rules("&enabledCategories=TYPOS&enabledOnly=true"),
              "ZABREL_UR_SPELLING ZABREL_UR_BROKEN_WORD ZABREL_UR_RUN_TOGETHER ");
    EXPECT_EQ(rules("&disabledCategories=TYPOS"), "");
    // Rules of other checkers, as LibreOffice sends them, are no concern here.
    EXPECT_EQ(rules("&disabledRules=WHITESPACE_RULE"), rules(""));

    const std::string body = bodyOf(check("language=ur-PK&level=picky&text=" + text));
    EXPECT_NE(body.find(R"("replacements":[{"value":"بازار"}],"offset":10,"length":6)"), std::string::npos)
        << body;
    EXPECT_NE(body.find(R"("replacements":[{"value":"بڑے شہر"}],"offset":18,"length":6)"), std::string::npos)
        << body;
    EXPECT_NE(
        body.find(
            R"("message":"یہ لفظ درست ہے، مگر یہاں شاید اس سے ملتا جلتا کوئی اور لفظ مقصود ہے۔",)"
            R"("shortMessage":"ممکنہ غلط لفظ","replacements":[{"value":"بڑے"}],"offset":26,"length":3)"),
        std::string::npos)
        << body;
}

TEST_F(Protocol, every_refusal_is_json_with_its_status_and_the_server_goes_on) {
    struct Case {
        std::string form;
        int status;
        std::string error;
    };
    const std::string text = "text=" + formValue("بزار");
    const std::vector<Case> cases = {
        {text, 400, "the 'language' parameter is missing (ur, ur-PK, ur-IN or auto)"},
        {text + "&language=en-US", 400,
         "unsupported language 'en-US': this server checks ur, ur-PK and ur-IN"},
        {"language=ur", 400, "give either the 'text' or the 'data' parameter"},
        {text + "&data=x&language=ur", 400, "give either the 'text' or the 'data' parameter"},
        {text + "&text=x&language=ur", 400, "the parameter 'text' is given more than once"},
        {text + "&language=ur&enabledOnly=yes", 400, "'enabledOnly' must be true or false"},
        {text + "&language=ur&enabledOnly=true", 400,
         "'enabledOnly' needs 'enabledRules' or 'enabledCategories'"},
        {text + "&language=ur&level=strict", 400, "'level' must be default or picky"},
        {"language=ur&text=%D8%A8%FF", 400, "the text is not valid UTF-8 (at byte 2)"},
        {"language=ur&text=%D8", 400, "the text is not valid UTF-8 (at byte 0)"},
        {"language=ur&text=a%2", 400, "the form has a malformed percent-encoding"},
        {"language=ur&text=a%zzb", 400, "the form has a malformed percent-encoding"},
        {"language=ur&data=" + formValue("{\"annotation\":"), 400, "data is not valid JSON"},
        {"language=ur&data=" + formValue("[]"), 400, "data must be an object with an \"annotation\" array"},
        {"language=ur&data=" + formValue(R"({"annotation":[{"text":"a","markup":"b"}]})"), 400,
         "each annotation needs either \"text\" or \"markup\""},
        {"language=ur&data=" + formValue(R"({"annotation":[{"text":"a","interpretAs":"b"}]})"), 400,
         "\"text\", \"markup\" and \"interpretAs\" must be strings, and interpretAs only with markup"},
        {"language=ur&text=" + std::string(201, 'a'), 413,
         "the text is 201 characters long; this server checks 200 at most"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(check(c.form), jsonAnswer(c.status, c.status == 413 ? "Payload Too Large" : "Bad Request",
                                            R"({"error":")" + escaped(c.error) + "\"}"))
            << c.form;

    // The limit counts UTF-16 units: 100 letters of 𝐀 are 200, and pass.
    std::string wide;
    for (int i = 0; i < 100; ++i)
        wide += "\xF0\x9D\x90\x80";
    EXPECT_EQ(statusOf(check("language=ur&text=" + formValue(wide))), 200);
    EXPECT_EQ(statusOf(check("language=ur&text=" + formValue(wide + "a"))), 413);

    EXPECT_EQ(
        post(server->port(), "/v2/check", "{\"text\":\"a\"}", "application/json"),
        jsonAnswer(
            415, "Unsupported Media Type",
            R"({"error":"send the parameters as application/x-www-form-urlencoded or multipart/form-data"})"));
    EXPECT_EQ(exchange(server->port(), "GET /v2/nothing HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
              jsonAnswer(404, "Not Found", R"({"error":"not found"})", false));
    EXPECT_EQ(
        exchange(server->port(), "GET /../../etc/passwd HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
        jsonAnswer(404, "Not Found", R"({"error":"not found"})", false));
    EXPECT_EQ(
        post(server->port(), "/v2/languages", ""),
        jsonAnswer(405, "Method Not Allowed", R"({"error":"this path does not take that method"})", false));
    EXPECT_EQ(
        statusOf(exchange(server->port(), "BREW /v2/check HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")),
        400);
    // Still serving.
    EXPECT_EQ(statusOf(check("language=ur&" + text)), 200);
}

TEST_F(Protocol, multipart_and_get_forms_answer_as_the_url_encoded_form_and_a_preflight_is_allowed) {
    const std::string text = "سخت بزار";
    const std::string expected = check("language=ur&text=" + formValue(text));
    ASSERT_EQ(statusOf(expected), 200);
    const std::string multipart =
        "--XyZ\r\nContent-Disposition: form-data; name=\"language\"\r\n\r\nur\r\n"
        "--XyZ\r\nContent-Disposition: form-data; name=\"text\"\r\n\r\n" +
        text + "\r\n--XyZ--\r\n";
    EXPECT_EQ(post(server->port(), "/v2/check", multipart, "multipart/form-data; boundary=XyZ"), expected);
    EXPECT_EQ(exchange(server->port(), "GET /v2/check?language=ur&text=" + formValue(text) +
                                           " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
              expected);
    EXPECT_EQ(exchange(server->port(),
                       "OPTIONS /v2/check HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
                       "Origin: moz-extension://abc\r\nAccess-Control-Request-Method: POST\r\n\r\n"),
              "HTTP/1.1 204 No Content\r\nAccess-Control-Allow-Headers: Content-Type\r\n"
              "Access-Control-Allow-Methods: GET, POST, OPTIONS\r\nAccess-Control-Allow-Origin: *\r\n"
              "Access-Control-Max-Age: 86400\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
}

class Server : public ::testing::Test {
protected:
    void SetUp() override { writeDictionary(dir.path() / "dict"); }
    std::vector<std::string> arguments(std::vector<std::string> extra) const {
        extra.insert(extra.begin(), {ZABREL_SERVER_PROGRAM, "--listen", "127.0.0.1:0", "-d", "dict"});
        return extra;
    }
    TempDir dir;
};

TEST_F(Server, words_are_added_only_when_allowed_and_never_from_another_origin) {
    const std::string word = "word=" + formValue("بزار");
    const std::string check = "language=ur&text=" + formValue("بزار");
    {
        ServerProcess server(arguments({"--personal", "mine.txt"}), dir.path());
        EXPECT_EQ(
            post(server.port(), "/v2/words/add", word),
            jsonAnswer(
                403, "Forbidden",
                R"~({"error":"this server does not add words (start it with --personal FILE --allow-add)"})~",
                false));
        EXPECT_FALSE(fs::exists(dir.path() / "mine.txt"));
    }
    writeFile(dir.file("mine.txt"), "کتابیں\n");
    ServerProcess server(arguments({"--personal", "mine.txt", "--allow-add", "--quiet"}), dir.path());
    ASSERT_GT(server.port(), 0) << server.log();
    EXPECT_NE(bodyOf(post(server.port(), "/v2/check", "language=ur&text=" + formValue("کتابیں")))
                  .find(R"("matches":[])"),
              std::string::npos)
        << "read from the list";
    // The helper's requests name the host 127.0.0.1.
    const std::string host = "http://127.0.0.1";
    EXPECT_EQ(post(server.port(), "/v2/words/add", word, "application/x-www-form-urlencoded",
                   "Origin: https://elsewhere.example\r\n"),
              jsonAnswer(403, "Forbidden", R"({"error":"words are added only from this server's own page"})",
                         false));
    // A page whose own name was made to point here: its origin matches the Host it sends.
    const std::string rebound = "rebound.example:" + std::to_string(server.port());
    EXPECT_EQ(statusOf(exchange(server.port(), "POST /v2/words/add HTTP/1.1\r\nHost: " + rebound +
                                                   "\r\nOrigin: http://" + rebound +
                                                   "\r\nConnection: close\r\nContent-Type: "
                                                   "application/x-www-form-urlencoded\r\nContent-Length: " +
                                                   std::to_string(word.size()) + "\r\n\r\n" + word)),
              403);
    EXPECT_NE(bodyOf(post(server.port(), "/v2/check", check)).find("ZABREL_UR_SPELLING"), std::string::npos);
    EXPECT_EQ(statusOf(post(server.port(), "/v2/words/add", "word=" + formValue("دو لفظ"))), 400);
    EXPECT_EQ(statusOf(post(server.port(), "/v2/words/add", "word=%FF")), 400);
    EXPECT_EQ(statusOf(post(server.port(), "/v2/words/add", "")), 400);
    // The page's own origin, and a client that is no browser, may.
    EXPECT_EQ(post(server.port(), "/v2/words/add", word, "application/x-www-form-urlencoded",
                   "Origin: " + host + "\r\n"),
              jsonAnswer(200, "OK", R"({"added":true})", false));
    EXPECT_EQ(bodyOf(post(server.port(), "/v2/words/add", word)), R"({"added":false})");
    EXPECT_NE(bodyOf(post(server.port(), "/v2/check", check)).find(R"("matches":[])"), std::string::npos);
    EXPECT_EQ(server.stop(SIGTERM), 0);
    const Bytes saved = readFile(dir.file("mine.txt"));
    const std::string list(saved.begin(), saved.end());
    EXPECT_NE(list.find("بزار\n"), std::string::npos) << list;
    EXPECT_NE(list.find("کتابیں\n"), std::string::npos) << list;
    EXPECT_EQ(server.log(), "") << "--quiet";
}

TEST_F(Server, the_page_is_its_files_under_a_policy_and_nothing_else_reaches_the_disk) {
    fs::create_directories(dir.path() / "web");
    writeFile(dir.file("web/index.html"), "<!doctype html><p>صفحہ</p>");
    writeFile(dir.file("web/zabrel.js"), "let x = 1;");
    writeFile(dir.file("web/zabrel.css"), "p {}");
    writeFile(dir.file("web/secret.txt"), "no");
    writeFile(dir.file("font.ttf"), std::string("\0\1\0\0font", 8));
    ServerProcess server(arguments({"--web-root", "web", "--font", "font.ttf"}), dir.path());
    const auto get = [&](const std::string& path) {
        return exchange(server.port(), "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    };
    const std::string policy =
        "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; font-src 'self'; "
        "connect-src 'self'; img-src 'self' data:; base-uri 'none'; form-action 'none'; frame-ancestors "
        "'none'\r\n";
    const std::string page = "<!doctype html><p>صفحہ</p>";
    EXPECT_EQ(get("/"),
              "HTTP/1.1 200 OK\r\nCache-Control: no-cache\r\nConnection: close\r\nContent-Length: " +
                  std::to_string(page.size()) + "\r\n" + policy +
                  "Content-Type: text/html; charset=utf-8\r\nReferrer-Policy: no-referrer\r\n"
                  "X-Content-Type-Options: nosniff\r\n\r\n" +
                  page);
    EXPECT_EQ(bodyOf(get("/zabrel.js")), "let x = 1;");
    EXPECT_NE(get("/zabrel.css").find("Content-Type: text/css; charset=utf-8\r\n"), std::string::npos);
    const std::string font = get("/fonts/NotoNastaliqUrdu-Regular.ttf");
    EXPECT_EQ(bodyOf(font), std::string("\0\1\0\0font", 8));
    EXPECT_NE(font.find("Content-Type: font/ttf\r\n"), std::string::npos);
    for (const char* path : {"/secret.txt", "/index.html", "/web/secret.txt", "/%2e%2e/font.ttf",
                             "/fonts/../font.ttf", "/fonts/font.ttf", "/zabrel.js/../secret.txt"})
        EXPECT_EQ(statusOf(get(path)), 404) << path;
}

TEST_F(Server, sigterm_answers_the_request_in_flight_then_exits_0_and_the_log_has_a_line_a_request) {
    ServerProcess server(arguments({}), dir.path());
    ASSERT_GT(server.port(), 0) << server.log();
    const int sock = connectTo(server.port());
    ASSERT_GE(sock, 0);
    const auto send = [&](const std::string& bytes) {
        return ::send(sock, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    };
    const std::string body = "language=ur&text=" + formValue("سخت بزار");
    const std::string request =
        "POST /v2/check?secret=1 HTTP/1.1\r\nHost: x\r\nContent-Type: "
        "application/x-www-form-urlencoded\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n";
    // A first request on the connection shows it is in service, kept alive...
    ASSERT_TRUE(send(request + body));
    const std::string first = readAnswer(sock);
    ASSERT_EQ(statusOf(first), 200) << first;
    // ...then half of a second one, and SIGTERM: the server stops listening...
    ASSERT_TRUE(send(request + body.substr(0, 10)));
    ::kill(server.pid(), SIGTERM);
    for (int fresh; (fresh = connectTo(server.port())) >= 0;)
        ::close(fresh);
    // ...and still answers what it was reading, closing the connection after it.
    ASSERT_TRUE(send(body.substr(10)));
    const std::string second = readAnswer(sock);
    EXPECT_EQ(bodyOf(second), bodyOf(first));
    char more = 0;
    EXPECT_EQ(::recv(sock, &more, 1, 0), 0) << "the connection ends after it";
    ::close(sock);
    EXPECT_EQ(server.stop(SIGTERM), 0);
    // A line a request, with the path but never the query or the text.
    const std::string line =
        "zabrel-server: 127.0.0.1 POST /v2/check 200 " + std::to_string(bodyOf(first).size()) + "\n";
    EXPECT_EQ(server.log(), line + line);
}

TEST_F(Server, the_command_line_says_what_is_wrong_and_the_banner_names_the_port) {
    const auto fails = [&](std::vector<std::string> extra, const std::string& message) {
        ServerProcess server(arguments(std::move(extra)), dir.path());
        EXPECT_EQ(server.port(), -1);
        EXPECT_EQ(server.stop(0), 2);
        EXPECT_EQ(server.log(), message);
    };
    fails({"--threads", "0"}, "zabrel-server: --threads takes a number from 1 to 1024, not '0'\n");
    fails({"--listen", "localhost"}, "zabrel-server: --listen takes ADDR:PORT, not 'localhost'\n");
    fails({"--listen", "127.0.0.1:70000"},
          "zabrel-server: --listen takes ADDR:PORT, not '127.0.0.1:70000'\n");
    fails({"--ranking", "best"}, "zabrel-server: --ranking must be exact, accurate or context, not 'best'\n");
    fails({"--allow-add"}, "zabrel-server: --allow-add needs --personal FILE\n");
    fails({"--max-text-length", "-5"},
          "zabrel-server: --max-text-length takes a positive number, not '-5'\n");
    fails({"-d", "nowhere/dict"}, "zabrel-server: no config.ini in nowhere/dict\n");

    ServerProcess server(arguments({}), dir.path());
    EXPECT_EQ(server.banner(),
              "zabrel-server: listening on http://127.0.0.1:" + std::to_string(server.port()) + "/");
    // Another server cannot take the same port.
    ServerProcess second(
        {ZABREL_SERVER_PROGRAM, "--listen", "127.0.0.1:" + std::to_string(server.port()), "-d", "dict"},
        dir.path());
    EXPECT_EQ(second.port(), -1);
    EXPECT_EQ(second.stop(0), 2);
}

}  // namespace
}  // namespace zabrel::test
