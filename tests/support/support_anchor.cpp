// Keeps the support library non-empty before helpers are added.
namespace zel::test { int supportAnchor() { return 0; } }
