// Placeholder so that the library exists before its first module lands.
namespace { [[maybe_unused]] int placeholder_jpeg; }
