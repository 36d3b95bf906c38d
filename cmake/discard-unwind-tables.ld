/* Added to the linker's default script for the 32-bit program, which is built without
   exceptions: no unwind table is ever read, so none is kept, not even the C runtime's. */
SECTIONS
{
  /DISCARD/ : { *(.eh_frame*) }
}
INSERT BEFORE .eh_frame;
