#include "nowplaying/server_base.h"

Text DeriveServerBase(const Text& url) {
  const size_t scheme = url.find(u"://");
  const size_t from = scheme == Text::npos ? 0 : scheme + 3;
  const size_t slash = url.find(u'/', from);
  return slash == Text::npos ? url : url.substr(0, slash);
}
