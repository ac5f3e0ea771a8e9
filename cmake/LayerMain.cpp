// Linked with the whole of one reader layer and the layers below it, and
// nothing above: a call from the layer up into a higher one leaves an
// undefined symbol and this program does not link.
int main() {
    return 0;
}
