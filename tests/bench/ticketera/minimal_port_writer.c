/* The least a program can do to print a ticket on a port: open it, switch the terminal's
 * output processing off so the bytes leave unchanged, write them, close. */
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

static const char ticket[] = "RECARGA MOVIL\r\nImporte: 10,00\r\nGracias\r\n \r\n \r\n \r\n";

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    int fd = open(argv[1], O_WRONLY | O_NOCTTY);
    if (fd < 0)
        return 1;
    struct termios tio;
    if (tcgetattr(fd, &tio) == 0) {
        tio.c_oflag &= ~OPOST;
        tcsetattr(fd, TCSANOW, &tio);
    }
    write(fd, ticket, sizeof ticket - 1);
    close(fd);
    return 0;
}
