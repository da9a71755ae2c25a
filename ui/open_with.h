// Velmoria offered in Explorer's "Open with" for SPC files, for this user
// only: a ProgID with its open command and icon, listed under the
// extension's OpenWithProgids and the exe's SupportedTypes. The extension's
// default program and the user's own choice are never touched.
#pragma once

#include <string>
#include <string_view>

namespace velmoria {

// Whether this very exe is offered now.
bool OfferedInOpenWith(const std::wstring& exe);
// Offers exe, or takes back exactly what offering it added; false when the
// registry would not take it. Explorer is told of the change.
bool OfferInOpenWith(const std::wstring& exe, bool offer);

inline constexpr std::wstring_view kOpenWithFailedMessage =
    L"Velmoria could not be offered in Explorer's Open With: the registry would not take it.";

}  // namespace velmoria
