# The smallest 32-bit Linux program: it exits with status 0. The 32-bit Windows suite runs it
# first; where the kernel runs no 32-bit programs it cannot start, and the suite is skipped.
	.globl _start
_start:
	movl $1, %eax   # exit
	xorl %ebx, %ebx # status 0
	int $0x80
