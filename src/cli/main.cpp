// vellumry-cli: Vellumry's batch operations from a shell.
int main() { return 0; }
