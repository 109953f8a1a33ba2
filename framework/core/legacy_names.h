// Framework core: the framework's own names (namespace quorbix: ProgramSetup, the command line,
// the runner...) as games written before the public headers name them, unqualified. A header
// of the framework that declares such names ends by including this; the public headers
// (include/quorbix/) define QRB_PUBLIC_HEADERS while they include the framework's, so that a game
// on them sees the names only in their namespace and its own names never clash with them.
// No include guard: each inclusion outside the public headers must see the directive.
namespace quorbix {}
#if !defined(QRB_PUBLIC_HEADERS)
using namespace quorbix;
#endif
