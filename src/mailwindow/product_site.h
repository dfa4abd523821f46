#pragma once

#include <string_view>

namespace voxtrel {

// The product's web site. A reserved example domain (RFC 2606): no third party can own it, so
// neither a tagline nor the product button ever points a reader at someone else's site.
// Without a trailing slash: the tagline appends "/email.jpg" to it directly.
inline constexpr std::string_view ProductSiteUrl = "https://voxtrel.example";
// The same address as a reader is shown it: the host name only.
inline constexpr std::string_view ProductSiteHost = "voxtrel.example";

}  // namespace voxtrel
