// SPDX-License-Identifier: MIT
#include "server/service.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "server/checkrequest.h"
#include "server/rawform.h"
#include "server/response.h"
#include "session/spellersession.h"
#include "text/utf8.h"

namespace zabrel::server {

namespace {

constexpr const char* JSON_TYPE = "application/json";
// The page talks to this server alone: no script, style, font or request elsewhere.
constexpr const char* PAGE_POLICY =
    "default-src 'none'; script-src 'self'; style-src 'self'; font-src 'self'; connect-src 'self'; "
    "img-src 'self' data:; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";
// The longest word /v2/words/add takes, in UTF-16 units.
constexpr std::size_t MAX_WORD_UNITS = 100;

void refuse(httplib::Response& res, int status, std::string_view message) {
    res.status = status;
    res.set_content(errorBody(message), JSON_TYPE);
}

// Browser add-ons call the protocol from their own origin, as they call LanguageTool.
void allowAnyOrigin(httplib::Response& res) {
    res.set_header("Access-Control-Allow-Origin", "*");
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The library decodes what it can and keeps a broken escape as it stands; such a body
// is refused instead, as the client sent something other than it meant.
bool wellEscaped(const std::string& body) {
    for (std::size_t i = 0; i < body.size(); ++i)
        if (body[i] == '%' && (i + 2 >= body.size() || !isHex(body[i + 1]) || !isHex(body[i + 2])))
            return false;
    return true;
}

bool isFormType(const std::string& type) {
    const std::string_view bare = std::string_view(type).substr(0, type.find(';'));
    return bare.empty() || bare == "application/x-www-form-urlencoded";
}

// Whether a Host header names this machine by an address (or as localhost) rather than
// by a name from DNS. A page elsewhere can have its own name point at 127.0.0.1 after it
// loads (DNS rebinding); its requests then come from its origin and to its host, which
// match, so matching alone would let it add words.
bool namedByAddress(std::string_view host) {
    if (host.starts_with('['))
        return host.find(']') != std::string_view::npos;  // an IPv6 literal
    const std::string name(host.substr(0, host.rfind(':')));
    in_addr address{};
    return name == "localhost" || inet_pton(AF_INET, name.c_str(), &address) == 1;
}

}  // namespace

struct Service::Impl {
    Impl(SpellerSession& speller, ServiceSettings settings)
        : speller(speller), settings(std::move(settings)), server(this->settings.limits) {}

    // The parameters of a POST, from its form (url-encoded or multipart) and its query;
    // false when the response already says why not.
    bool readForm(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader,
                  Parameters& parameters) const;
    void check(const Parameters& parameters, httplib::Response& res) const;
    void addWord(const httplib::Request& req, const Parameters& parameters, httplib::Response& res) const;
    void serveFile(const std::filesystem::path& file, const char* type, httplib::Response& res) const;
    void log(const httplib::Request& req, const httplib::Response& res) const;

    SpellerSession& speller;
    ServiceSettings settings;
    GuardedServer server;
};

bool Service::Impl::readForm(const httplib::Request& req, httplib::Response& res,
                             const httplib::ContentReader& reader, Parameters& parameters) const {
    parameters.insert(req.params.begin(), req.params.end());
    std::size_t taken = 0;
    const auto within = [&](std::size_t more) { return (taken += more) <= settings.maxBodyBytes; };
    if (req.is_multipart_form_data()) {
        std::string name;
        std::string value;
        bool started = false;
        const bool read = reader(
            [&](const httplib::MultipartFormData& field) {
                if (started)
                    parameters.emplace(std::move(name), std::move(value));
                name = field.name;
                value.clear();
                started = true;
                return true;
            },
            [&](const char* data, std::size_t length) {
                value.append(data, length);
                return within(length);
            });
        if (!read) {
            if (res.status != 413 && taken <= settings.maxBodyBytes)
                refuse(res, 400, "the multipart body is malformed");
            else
                refuse(res, 413, "the request body is larger than this server takes");
            return false;
        }
        if (started)
            parameters.emplace(std::move(name), std::move(value));
        return true;
    }
    if (!isFormType(req.get_header_value("Content-Type"))) {
        refuse(res, 415, "send the parameters as application/x-www-form-urlencoded or multipart/form-data");
        return false;
    }
    std::string body;
    if (!reader([&](const char* data, std::size_t length) {
            body.append(data, length);
            return within(length);
        })) {
        refuse(res, 413, "the request body is larger than this server takes");
        return false;
    }
    if (std::optional<Parameters> unescaped = unescapedForm(body)) {
        parameters.insert(unescaped->begin(), unescaped->end());
        return true;
    }
    if (!wellEscaped(body)) {
        refuse(res, 400, "the form has a malformed percent-encoding");
        return false;
    }
    httplib::Params form;
    httplib::detail::parse_query_text(body, form);
    parameters.insert(form.begin(), form.end());
    return true;
}

void Service::Impl::check(const Parameters& parameters, httplib::Response& res) const {
    allowAnyOrigin(res);
    CheckRequest request;
    if (std::optional<Refusal> refused = readCheckRequest(parameters, settings.maxTextLength, request))
        return refuse(res, refused->status, refused->message);
    try {
        res.set_content(checkBody(speller, request, settings.version), JSON_TYPE);
    } catch (const SessionError& ex) {
        refuse(res, 500, ex.what());
    }
}

void Service::Impl::addWord(const httplib::Request& req, const Parameters& parameters,
                            httplib::Response& res) const {
    // A page elsewhere must not add words to the writer's list: only this server's own
    // page, or a client that is no browser (it sends no Origin), may.
    const std::string origin = req.get_header_value("Origin");
    const std::string host = req.get_header_value("Host");
    if (!origin.empty() && (origin != "http://" + host || !namedByAddress(host)))
        return refuse(res, 403, "words are added only from this server's own page");
    if (!settings.allowAdd || speller.personal().path().empty())
        return refuse(res, 403, "this server does not add words (start it with --personal FILE --allow-add)");
    const auto found = parameters.find("word");
    if (found == parameters.end() || parameters.count("word") != 1)
        return refuse(res, 400, "give one 'word' parameter");
    std::u16string word;
    std::size_t bad = 0;
    if (!utf8ToUtf16(found->second, word, bad))
        return refuse(res, 400, "the word is not valid UTF-8");
    if (word.empty() || word.size() > MAX_WORD_UNITS)
        return refuse(res, 400, "the word must have 1 to " + std::to_string(MAX_WORD_UNITS) + " characters");
    for (char16_t c : word)
        if (c <= u' ' || c == u'\u00A0' || c == u'\u2028' || c == u'\u2029' || c == u'\x7F')
            return refuse(res, 400, "a word has no spaces or control characters");
    try {
        const bool added = speller.addPersonal(word);
        res.set_content(R"({"added":)" + std::string(added ? "true" : "false") + "}", JSON_TYPE);
    } catch (const SessionError& ex) {
        refuse(res, 500, ex.what());
    }
}

void Service::Impl::serveFile(const std::filesystem::path& file, const char* type,
                              httplib::Response& res) const {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    if (!in)
        return refuse(res, 404, "not found");
    res.set_content(content.str(), type);
    res.set_header("Content-Security-Policy", PAGE_POLICY);
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Referrer-Policy", "no-referrer");
    res.set_header("Cache-Control", "no-cache");
}

void Service::Impl::log(const httplib::Request& req, const httplib::Response& res) const {
    if (settings.quiet)
        return;
    // The path alone: a query or a body may be someone's text.
    std::string path = req.path.substr(0, 200);
    for (char& c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    std::fprintf(stderr, "zabrel-server: %s %s %s %d %zu\n", req.remote_addr.c_str(), req.method.c_str(),
                 path.c_str(), res.status, res.body.size());
}

Service::Service(SpellerSession& speller, ServiceSettings settings)
    : impl(std::make_unique<Impl>(speller, std::move(settings))) {
    route();
}

Service::~Service() = default;

void Service::route() {
    Impl& self = *impl;
    httplib::Server& server = self.server;
    server.set_payload_max_length(self.settings.maxBodyBytes);
    // The library's default also shares the port (SO_REUSEPORT): a second server on it
    // would take half the requests instead of failing to start.
    server.set_socket_options([](socket_t sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });

    server.Get("/v2/languages", [](const httplib::Request&, httplib::Response& res) {
        allowAnyOrigin(res);
        res.set_content(languagesBody(), JSON_TYPE);
    });
    server.Get("/v2/check", [&self](const httplib::Request& req, httplib::Response& res) {
        Parameters parameters(req.params.begin(), req.params.end());
        self.check(parameters, res);
    });
    server.Post("/v2/check", [&self](const httplib::Request& req, httplib::Response& res,
                                     const httplib::ContentReader& reader) {
        Parameters parameters;
        if (self.readForm(req, res, reader, parameters))
            self.check(parameters, res);
        else
            allowAnyOrigin(res);
    });
    server.Post("/v2/words/add", [&self](const httplib::Request& req, httplib::Response& res,
                                         const httplib::ContentReader& reader) {
        Parameters parameters;
        if (self.readForm(req, res, reader, parameters))
            self.addWord(req, parameters, res);
    });
    // Preflight of a browser add-on's POST.
    server.Options(R"(/v2/(check|languages))", [](const httplib::Request&, httplib::Response& res) {
        allowAnyOrigin(res);
        res.set_header("Access-Control-Allow-Methods", "GET, POST, OPTIONS");
        res.set_header("Access-Control-Allow-Headers", "Content-Type");
        res.set_header("Access-Control-Max-Age", "86400");
        res.status = 204;
    });

    struct Page {
        const char* path;
        const char* file;
        const char* type;
    };
    static constexpr Page PAGES[] = {
        {"/", "index.html", "text/html; charset=utf-8"},
        {"/zabrel.js", "zabrel.js", "text/javascript; charset=utf-8"},
        {"/zabrel.css", "zabrel.css", "text/css; charset=utf-8"},
    };
    for (const Page& page : PAGES)
        server.Get(page.path, [&self, page](const httplib::Request&, httplib::Response& res) {
            self.serveFile(self.settings.webRoot / page.file, page.type, res);
        });
    server.Get("/fonts/NotoNastaliqUrdu-Regular.ttf",
               [&self](const httplib::Request&, httplib::Response& res) {
                   self.serveFile(self.settings.font, "font/ttf", res);
                   res.set_header("Cache-Control", "max-age=86400");
               });

    // The paths above, asked with another method.
    const auto wrongMethod = [](const httplib::Request&, httplib::Response& res) {
        refuse(res, 405, "this path does not take that method");
    };
    for (const char* path :
         {"/v2/languages", "/", "/zabrel.js", "/zabrel.css", "/fonts/NotoNastaliqUrdu-Regular.ttf"})
        server.Post(path, wrongMethod);
    server.Get("/v2/words/add", wrongMethod);

    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty())
            return;
        switch (res.status) {
            case 404:
                return refuse(res, 404, "not found");
            case 413:
                return refuse(res, 413, "the request body is larger than this server takes");
            case 414:
                return refuse(res, 414, "the request line is too long");
            default:
                return refuse(res, res.status, "the request is malformed");
        }
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        refuse(res, 500, "the server failed on this request");
    });
    self.server.setLogger(
        [&self](const httplib::Request& req, const httplib::Response& res) { self.log(req, res); });
}

int Service::bind(const std::string& host, int port) {
    if (port == 0)
        return impl->server.bind_to_any_port(host);
    return impl->server.bind_to_port(host, port) ? port : -1;
}

bool Service::run() {
    return impl->server.listen_after_bind();
}

void Service::stop() {
    impl->server.finish();
}

}  // namespace zabrel::server
