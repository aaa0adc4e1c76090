// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

#include "server/checkrequest.h"

namespace zabrel::server {

// LibreOffice 7.4's LanguageTool client posts "text=" + the paragraph + "&language=" +
// its tag without escaping the paragraph, so an & + or % in it would be read as the
// form's own and the matches after it would land in the wrong places (or the whole
// body be refused). Such a body shows itself by what no form encoder leaves bare: a
// space or a byte of a multi-byte UTF-8 sequence. Its text is then everything up to
// the last "&language=". None for any other body, which is read as a form.
std::optional<Parameters> unescapedForm(std::string_view body);

}  // namespace zabrel::server
