/* A DLL that exists only to be found, or not, by a search for its bare name. */
__declspec(dllexport) int SearchProbe(void)
{
    return 1;
}
