// zelvarin: the window (being built).
int main() { return 0; }
