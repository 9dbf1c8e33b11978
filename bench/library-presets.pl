#!/usr/bin/perl
# Writes the description of one backup of random presets, as an owner's backups
# hold them: random names from a list of words, and every value of the benchmark
# backup (bench/large-backup.txt, read on standard input) drawn at random within
# the range it runs through there. Every preset keeps the benchmark's link to a
# module that is not there, so that every file has warnings.
#   bench/library-presets.pl SEED PRESETS < bench/large-backup.txt > DESCRIPTION
use strict;
use warnings;

my ($seed, $presets) = @ARGV;
srand($seed);
my @words = qw(Thunder Velvet Crunch Lead Clean Glass Ambient Stadium Blues Metal Shimmer
               Vintage Fuzz Solo Rhythm Jazz Funk Warm Dark Bright Dream Storm Echo Crystal);
sub draw {
    my ($drawn, $n) = @_;
    $drawn->{$n} = int(rand($n)) unless exists $drawn->{$n};
    return $drawn->{$n};
}

my (@head, @body);
my $in_repeat = 0;
while (my $line = <STDIN>) {
    if ($line =~ /^repeat /) { $in_repeat = 1; next; }
    if ($in_repeat && $line =~ /^end/) { $in_repeat = 0; next; }
    if ($in_repeat) { push @body, $line; } else { push @head, $line; }
}
print @head;
for my $i (0 .. $presets - 1) {
    my $name = $words[int(rand(@words))] . " " . $words[int(rand(@words))] . " " . int(rand(100));
    for my $line (@body) {
        my $out = $line;
        if ($out =~ /^\s*preset /) {
            $out = sprintf("  preset %d \"%s\"\n", $i % 254 + 1, $name);
        }
        # {EXPR % N} and {EXPR % N + 1}: a random value of the same range, one per N
        # and line, so that a module's type and its type index stay one type.
        my %drawn;
        $out =~ s/\{[^}]*%\s*(\d+)\s*(\+\s*(\d+))?\}/draw(\%drawn, $1) + ($3 || 0)/ge;
        $out =~ s/\{[^}]*\}/int(rand(10000))/ge;
        print $out;
    }
}
