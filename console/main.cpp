// Entry of the vardex program (the frame comes with the program's own change).
int main() { return 0; }
