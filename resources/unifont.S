/* GNU Unifont's plane 0, built into the program. */
    .section .rodata
    .balign 16
    .global morvexa_unifont_begin
    .type morvexa_unifont_begin, @object
morvexa_unifont_begin:
    .incbin "unifont.bin"
    .global morvexa_unifont_end
    .type morvexa_unifont_end, @object
morvexa_unifont_end:
    .section .note.GNU-stack,"",@progbits
