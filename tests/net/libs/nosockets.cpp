// A shared library that loads but offers none of the socket entry points.
extern "C" int zandolet_no_sockets()
{
    return 0;
}
