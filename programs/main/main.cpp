// Placeholder until the process start lands.
int main() { return 0; }
