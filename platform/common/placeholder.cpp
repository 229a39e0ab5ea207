// Placeholder until the platform sources land.
namespace { [[maybe_unused]] int placeholder_platform; }
