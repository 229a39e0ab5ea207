// Shared test helpers live beside this file.
namespace { [[maybe_unused]] int placeholder_support; }
