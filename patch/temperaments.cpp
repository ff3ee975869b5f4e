// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/temperaments.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace dorvane {

namespace {

using Cents12 = std::array<double, 12>;

double centsOf(double ratio)
{
    return 1200.0 * std::log2(ratio);
}

const double Pure = centsOf(3.0 / 2.0);         // 701.955
const double PC = centsOf(531441.0 / 524288.0); // Pythagorean comma, 23.460
const double SC = centsOf(81.0 / 80.0);         // syntonic comma, 21.506
const double Schisma = PC - SC;                 // 1.954

// Where a note sits on the chain of fifths, counted from C: F is -1, Eb -3, G# 8.
int pitchClassAt(int position)
{
    return ((position * 7) % 12 + 12) % 12;
}

double inOctave(double cents)
{
    const double folded = std::fmod(cents, 1200.0);
    return folded < 0 ? folded + 1200.0 : folded;
}

// Twelve notes on a chain of eleven fifths starting `lowest` fifths from C
// (Eb-G# starts at -3), each fifth narrowed by its amount in chain order (a
// negative amount widens it). The chain must hold C.
Cents12 chain(int lowest, const std::array<double, 11>& narrowing)
{
    std::array<double, 12> along{};
    for (std::size_t k = 1; k < 12; ++k)
        along[k] = along[k - 1] + Pure - narrowing[k - 1];
    const double c = along[std::size_t(-lowest)];
    Cents12 out{};
    for (int k = 0; k < 12; ++k)
        out[std::size_t(pitchClassAt(lowest + k))] = inOctave(along[std::size_t(k)] - c);
    return out;
}

// Every fifth of the chain the same size.
Cents12 regular(double fifth, int lowest)
{
    std::array<double, 11> narrowing{};
    narrowing.fill(Pure - fifth);
    return chain(lowest, narrowing);
}

Cents12 meantone(double commaFraction, int lowest = -3)
{
    return regular(Pure - commaFraction * SC, lowest);
}

Cents12 pythagorean(int lowest)
{
    return regular(Pure, lowest);
}

// The fifth of n equal divisions of the octave nearest a pure one, on the chain
// Eb-G#.
Cents12 equalDivision(int n)
{
    const double steps = std::round(n * std::log2(1.5));
    return regular(steps * 1200.0 / n, -3);
}

Cents12 ratios(const std::array<double, 12>& r)
{
    Cents12 out{};
    for (std::size_t i = 0; i < 12; ++i)
        out[i] = centsOf(r[i]);
    return out;
}

// Semitone sizes C-C#, C#-D .. B-C.
Cents12 semitones(const std::array<double, 12>& s)
{
    Cents12 out{};
    for (std::size_t i = 1; i < 12; ++i)
        out[i] = out[i - 1] + s[i - 1];
    return out;
}

// The twelve fifths of the circle from C, as the well temperaments state them.
enum Fifth
{
    CG,
    GD,
    DA,
    AE,
    EB,
    BFs,
    FsCs,
    CsGs,
    GsEb,
    EbBb,
    BbF,
    FC,
};

struct CircleOfFifths
{
    Cents12 cents;
    double error; // how far the twelve stated narrowings miss one Pythagorean comma
};

// A circle of twelve fifths, those named narrowed by the amounts given and the
// rest pure. The notes come from the first eleven; the twelfth, F-C, is what
// the source states of it and only checks the circle.
CircleOfFifths circle(std::initializer_list<std::pair<Fifth, double>> tempered)
{
    std::array<double, 12> narrowing{};
    for (const auto& [fifth, amount] : tempered)
        narrowing[std::size_t(fifth)] += amount;
    std::array<double, 11> first{};
    std::copy_n(narrowing.begin(), 11, first.begin());
    double sum = 0;
    for (double n : narrowing)
        sum += n;
    return {chain(0, first), sum - PC};
}

Temperament known(std::string_view name, const Cents12& cents)
{
    return {name, cents, 0.0};
}

Temperament known(std::string_view name, const CircleOfFifths& c)
{
    return {name, c.cents, c.error};
}

std::vector<Temperament> buildTemperaments()
{
    const double third = 1200.0 / std::acos(-1.0); // Harrison's major third, 1200/pi cents
    return {
        // M. Agricola, Musica instrumentalis deudsch (1545): a Pythagorean
        // monochord, pure fifths on the chain Gb-B. F. J. Ratte, Die Temperatur
        // der Clavierinstrumente (1991), p. 252, shows his division to be this
        // chain; the Rudimenta of 1539 (below) takes the four sharps as pure
        // thirds instead, a schisma away.
        known("Agricola's Pythag Monochord", pythagorean(-6)),
        // Henri Arnaut de Zwolle (c. 1440): pure fifths with the wolf on B-F#,
        // the chain Gb-B (W. T. Meister, Die Orgelstimmung in Italien und
        // Süddeutschland, 1991).
        known("Arnaut de Zwolle", pythagorean(-6)),
        // P. Aron, Toscanello in musica (1523): every fifth 1/4 syntonic comma
        // narrow, chain Eb-G#.
        known("Aron 1/4 Comma Meantone", meantone(1.0 / 4)),
        // J. Barnes (1971), as H.-J. Schugk, Praxis barocker Stimmungen (1980),
        // gives it: F-C-G-D-A-E-B-F#-C#, eight fifths 1/8 Pythagorean comma narrow.
        known("Bach (Barnes 1971)", circle({{FC, PC / 8},
                                            {CG, PC / 8},
                                            {GD, PC / 8},
                                            {DA, PC / 8},
                                            {AE, PC / 8},
                                            {EB, PC / 8},
                                            {BFs, PC / 8},
                                            {FsCs, PC / 8}})),
        // J. Barnes (1977), after Schugk (1980): F-C-G-D-A-E and B-F#, six
        // fifths 1/6 Pythagorean comma narrow.
        known("Bach (Barnes 1977)", circle({{FC, PC / 6},
                                            {CG, PC / 6},
                                            {GD, PC / 6},
                                            {DA, PC / 6},
                                            {AE, PC / 6},
                                            {BFs, PC / 6}})),
        // H. A. Kellner (1977): C-G-D-A-E and B-F#,
        // five fifths 1/5 Pythagorean comma narrow.
        known("Bach (Kellner 1977)",
              circle({{CG, PC / 5}, {GD, PC / 5}, {DA, PC / 5}, {AE, PC / 5}, {BFs, PC / 5}})),
        // B. Lehman, Early Music 33 (2005): F-C-G-D-A-E 1/6 Pythagorean comma
        // narrow, E-B-F#-C# pure, C#-G#-D#-Bb 1/12 narrow, Bb-F 1/12 wide.
        known("Bach (Lehman 2005)", circle({{FC, PC / 6},
                                            {CG, PC / 6},
                                            {GD, PC / 6},
                                            {DA, PC / 6},
                                            {AE, PC / 6},
                                            {CsGs, PC / 12},
                                            {GsEb, PC / 12},
                                            {EbBb, PC / 12},
                                            {BbF, -PC / 12}})),
        // R. H. M. Bosanquet, An Elementary Treatise on Musical Intervals and
        // Temperament (1876): 53 equal divisions; the twelve keys on Eb-G#.
        known("Bosanquet 53-Tone", equalDivision(53)),
        // The twelve lü by sanfen sunyi, Lüshi chunqiu (3rd c. BC): eleven pure
        // fifths upwards from the first lü, C-E#.
        known("Chinese Lu", pythagorean(0)),
        // G. Costeley, Musique (1570), preface: 19 equal divisions; Eb-G#.
        known("Costeley 19-Tone", equalDivision(19)),
        // F. Couperin's organ temperament (1690) as C. di Veroli, Unequal
        // Temperaments (1978), reconstructs it: Bb-F .. F#-C# 1/4 syntonic
        // comma narrow, Eb-Bb 7.785 cents and C#-G# 1/4 comma wide.
        known("Couperin (1690)", chain(-3, {-7.785, SC / 4, SC / 4, SC / 4, SC / 4, SC / 4, SC / 4,
                                            SC / 4, SC / 4, SC / 4, -SC / 4})),
        known("Equal Temperament", regular(700.0, 0)),
        // L. Euler, Tentamen novae theoriae musicae (1739): the genus
        // diatonico-chromaticum, 3^3 x 5^2 on F.
        known("Euler's Monochord",
              ratios({1.0, 25.0 / 24, 9.0 / 8, 75.0 / 64, 5.0 / 4, 4.0 / 3, 45.0 / 32, 3.0 / 2,
                      25.0 / 16, 5.0 / 3, 225.0 / 128, 15.0 / 8})),
        // J. N. Gabler's organ at Weingarten (1750), after F. J. Ratte,
        // Temperierungspraktiken im süddeutschen Orgelbau (1990): eleven fifths
        // 23/132 Pythagorean comma narrow, Eb-G#.
        known("Gabler (1750)", regular(Pure - PC * 23.0 / 132.0, -3)),
        // H. Grammateus (1518), after Ratte (1991), p. 250: B-F# and Eb-Bb
        // 1/2 Pythagorean comma narrow, each whole tone split in two equal halves.
        known("Grammateus (1518)", circle({{BFs, PC / 2}, {EbBb, PC / 2}})),
        // J. Harrison, A Description Concerning Such Mechanism (1775): the major
        // third is to the octave as the diameter to the circumference.
        known("Harrison (1775)", regular((2400.0 + third) / 4.0, -3)),
        // C. Huygens, Novus cyclus harmonicus (1691): 31 equal divisions; Eb-G#.
        known("Huygens 31-Tone", equalDivision(31)),
        // Ptolemy's syntonic diatonic on C (1 9/8 5/4 4/3 3/2 5/3 15/8) with the
        // black keys a just semitone, minor third, tritone, minor sixth and
        // minor seventh above C.
        known("Just Intonation", ratios({1.0, 16.0 / 15, 9.0 / 8, 6.0 / 5, 5.0 / 4, 4.0 / 3,
                                         45.0 / 32, 3.0 / 2, 8.0 / 5, 5.0 / 3, 9.0 / 5, 15.0 / 8})),
        // The same with the minor seventh of two fourths, 16/9.
        known("Just Intonation (16/9)",
              ratios({1.0, 16.0 / 15, 9.0 / 8, 6.0 / 5, 5.0 / 4, 4.0 / 3, 45.0 / 32, 3.0 / 2,
                      8.0 / 5, 5.0 / 3, 16.0 / 9, 15.0 / 8})),
        // J. P. Kirnberger (1766): D-A a whole syntonic comma narrow, F#-C# a
        // schisma, the rest pure.
        known("Kirnberger I", circle({{DA, SC}, {FsCs, Schisma}})),
        // Kirnberger, Die Kunst des reinen Satzes (1771): D-A and A-E 1/2
        // syntonic comma narrow, F#-C# a schisma.
        known("Kirnberger II", circle({{DA, SC / 2}, {AE, SC / 2}, {FsCs, Schisma}})),
        // Kirnberger II as Schugk (1980) gives it: D-A and A-E halve the whole
        // Pythagorean comma, no schisma.
        known("Kirnberger II (Schugk)", circle({{DA, PC / 2}, {AE, PC / 2}})),
        // Kirnberger, letter to Forkel (1779): C-G-D-A-E 1/4 syntonic comma
        // narrow (C-E pure), F#-C# a schisma.
        known("Kirnberger III",
              circle({{CG, SC / 4}, {GD, SC / 4}, {DA, SC / 4}, {AE, SC / 4}, {FsCs, Schisma}})),
        // F. W. Marpurg, Neue Methode allerley Arten von Temperaturen ... (1790),
        // his twelve temperaments in twelfths of the Pythagorean comma; the
        // fifths as his tables of logarithms give them.
        known("Marpurg II (1790)", circle({{EB, PC * 2 / 12}, {BbF, PC * 10 / 12}})),
        known("Marpurg IV (1790)", circle({{EB, PC * 8 / 12}, {GsEb, PC * 4 / 12}})),
        known(
            "Marpurg IX (1790)",
            circle(
                {{BFs, PC * 3 / 12}, {FsCs, PC * 3 / 12}, {BbF, PC * 3 / 12}, {FC, PC * 3 / 12}})),
        known("Marpurg V (1790)", circle({{EB, PC * 5 / 12}, {BbF, PC * 7 / 12}})),
        // The "Dresden" temperament.
        known("Marpurg VI (1790)", circle({{BFs, PC * 6 / 12}, {BbF, PC * 6 / 12}})),
        known("Marpurg VII (1790)",
              circle({{CG, PC * 4 / 12}, {EB, PC * 4 / 12}, {GsEb, PC * 4 / 12}})),
        known("Marpurg VIII (1790)",
              circle(
                  {{CG, PC * 3 / 12}, {EB, PC * 3 / 12}, {CsGs, PC * 3 / 12}, {BbF, PC * 3 / 12}})),
        // The one with a fifth tuned wide, "out of curiosity".
        known("Marpurg XII (1790)",
              circle({{CG, -PC / 12}, {AE, PC * 2 / 12}, {GsEb, PC * 10 / 12}, {FC, PC / 12}})),
        // Regular meantones: every fifth of the chain narrowed by the same
        // fraction of the syntonic comma, Eb-G# unless the name gives another
        // chain (J. M. Barbour, Tuning and Temperament, 1951).
        known("Meantone 1/10 Comma", meantone(1.0 / 10)),
        known("Meantone 1/3 Comma (Ab-C#)", meantone(1.0 / 3, -4)),
        // F. Salinas, De musica libri septem (1577).
        known("Meantone 1/3 Comma (Salinas)", meantone(1.0 / 3)),
        known("Meantone 1/4 Comma (Ab-C#)", meantone(1.0 / 4, -4)),
        known("Meantone 1/4 Comma (Bb-D#)", meantone(1.0 / 4, -2)),
        known("Meantone 1/4 Comma (Db-F#)", meantone(1.0 / 4, -5)),
        known("Meantone 1/4 Comma (F-A#)", meantone(1.0 / 4, -1)),
        known("Meantone 1/4 Comma (Gb-B)", meantone(1.0 / 4, -6)),
        known("Meantone 1/5 Comma", meantone(1.0 / 5)),
        known("Meantone 1/5 Comma (Ab-C#)", meantone(1.0 / 5, -4)),
        known("Meantone 1/6 Comma (Ab-C#)", meantone(1.0 / 6, -4)),
        // G. A. Sorge (1748) reports it as G. Silbermann's organ tuning.
        known("Meantone 1/6 Comma (Silbermann)", meantone(1.0 / 6)),
        known("Meantone 1/7 Comma", meantone(1.0 / 7)),
        known("Meantone 1/8 Comma", meantone(1.0 / 8)),
        known("Meantone 1/9 Comma", meantone(1.0 / 9)),
        // G. Zarlino, Istitutioni harmoniche (1558).
        known("Meantone 2/7 Comma (Zarlino)", meantone(2.0 / 7)),
        // L. Rossi, Sistema musico (1666).
        known("Meantone 2/9 Comma (Rossi)", meantone(2.0 / 9)),
        // W. S. B. Woolhouse, Essay on Musical Intervals (1835).
        known("Meantone 7/26 Comma (Woolhouse)", meantone(7.0 / 26)),
        // J. G. Neidhardt, Sectio canonis harmonici (1724), his first
        // temperament (for a village; in 1732 for a small town).
        known("Neidhardt I (1724)", circle({{CG, PC / 6},
                                            {GD, PC / 6},
                                            {DA, PC / 6},
                                            {AE, PC / 6},
                                            {EB, PC / 12},
                                            {BFs, PC / 12},
                                            {GsEb, PC / 12},
                                            {EbBb, PC / 12}})),
        // The second (for a small town; in 1732 for a large town).
        known("Neidhardt II (1724)", circle({{CG, PC / 6},
                                             {GD, PC / 6},
                                             {DA, PC / 6},
                                             {AE, PC / 12},
                                             {BFs, PC / 12},
                                             {FsCs, PC / 12},
                                             {CsGs, PC / 12},
                                             {BbF, PC / 12},
                                             {FC, PC / 12}})),
        // The third, as W. Dupont, Geschichte der musikalischen Temperatur
        // (1935), p. 88, gives it: C-G-D-A 2/12, A-E, B-F#-C#-G#, Eb-Bb-F
        // 1/12 Pythagorean comma narrow; E-B, G#-D#, F-C pure.
        known("Neidhardt III (1724)", circle({{CG, PC / 6},
                                              {GD, PC / 6},
                                              {DA, PC / 6},
                                              {AE, PC / 12},
                                              {BFs, PC / 12},
                                              {FsCs, PC / 12},
                                              {CsGs, PC / 12},
                                              {EbBb, PC / 12},
                                              {BbF, PC / 12}})),
        // Neidhardt, Gäntzlich erschöpfte mathematische Abtheilungen (1732),
        // for a large town: his second of 1724.
        known("Neidhardt Large Town (1732)", circle({{CG, PC / 6},
                                                     {GD, PC / 6},
                                                     {DA, PC / 6},
                                                     {AE, PC / 12},
                                                     {BFs, PC / 12},
                                                     {FsCs, PC / 12},
                                                     {CsGs, PC / 12},
                                                     {BbF, PC / 12},
                                                     {FC, PC / 12}})),
        // For a small town (1732): his first of 1724.
        known("Neidhardt Small Town (1732)", circle({{CG, PC / 6},
                                                     {GD, PC / 6},
                                                     {DA, PC / 6},
                                                     {AE, PC / 6},
                                                     {EB, PC / 12},
                                                     {BFs, PC / 12},
                                                     {GsEb, PC / 12},
                                                     {EbBb, PC / 12}})),
        // For a village (1732), from his string lengths as Meister (1991),
        // p. 124, gives them: C-G 1/12, G-D 1/6, D-A and A-E 1/4, B-F#, C#-G#
        // and Bb-F 1/12 Pythagorean comma narrow.
        known("Neidhardt Village (1732)", circle({{CG, PC / 12},
                                                  {GD, PC / 6},
                                                  {DA, PC / 4},
                                                  {AE, PC / 4},
                                                  {BFs, PC / 12},
                                                  {CsGs, PC / 12},
                                                  {BbF, PC / 12}})),
        // Pure fifths; the name gives where the chain of eleven begins and ends.
        known("Pythagorean (Ab-C#)", pythagorean(-4)),
        known("Pythagorean (Bb-D#)", pythagorean(-2)),
        known("Pythagorean (Cb-E)", pythagorean(-7)),
        known("Pythagorean (Db-F#)", pythagorean(-5)),
        known("Pythagorean (Eb-G#)", pythagorean(-3)),
        known("Pythagorean (F-A#)", pythagorean(-1)),
        // J.-P. Rameau, Nouveau système de musique théorique (1726), as di Veroli
        // (1978) reconstructs it: F-C .. E-B 1/4 syntonic comma narrow, Eb-Bb
        // and F#-C# 1.532 cents wide, C#-G# 2.868 cents wide.
        known("Rameau (1726)", chain(-3, {-1.532, 0.0, SC / 4, SC / 4, SC / 4, SC / 4, SC / 4,
                                          SC / 4, 0.0, -1.532, -2.868})),
        // B. Ramis de Pareia, Musica practica (1482): Ab-Eb-Bb-F-C-G pure, and
        // D-A-E-B-F#-C# pure a syntonic comma lower.
        known("Ramis (1482)",
              ratios({1.0, 135.0 / 128, 10.0 / 9, 32.0 / 27, 5.0 / 4, 4.0 / 3, 45.0 / 32, 3.0 / 2,
                      128.0 / 81, 5.0 / 3, 16.0 / 9, 15.0 / 8})),
        // J.-J. Rousseau's temperament, third form, as di Veroli gives it: C-G ..
        // B-F# 1/4 syntonic comma narrow, Eb-Bb 3.504 and Bb-F 1.792 cents wide.
        known("Rousseau III", chain(-3, {-3.504, -1.792, 0.0, SC / 4, SC / 4, SC / 4, SC / 4,
                                         SC / 4, SC / 4, 0.0, 0.0})),
        // Agricola, Rudimenta musices (1539), after Ratte (1991), p. 252: the
        // Pythagorean Bb-B, with F#, C#, G# and D# pure major thirds above D,
        // A, E and B.
        known("Rudimenta Monochord (Agricola)",
              ratios({1.0, 135.0 / 128, 9.0 / 8, 1215.0 / 1024, 81.0 / 64, 4.0 / 3, 45.0 / 32,
                      3.0 / 2, 405.0 / 256, 27.0 / 16, 16.0 / 9, 243.0 / 128})),
        // J. Sauveur, Mémoires de l'Académie royale des sciences (1701): 43
        // equal divisions; Eb-G#.
        known("Sauveur 43-Tone", equalDivision(43)),
        // C. Schneegass, Nova et exquisita monochordi dimensio (1590): his
        // numerical monochord for 1/4-comma meantone, semitones in cents as
        // Ratte (1991), p. 269, computes them.
        known("Schneegass (1590)", semitones({80.782, 113.290, 114.036, 80.244, 112.555, 80.318,
                                              114.735, 79.376, 114.464, 115.657, 80.025, 114.518})),
        // G. A. Sorge, Zuverlässige Anweisung, Claviere und Orgeln ... zu
        // temperiren (1758), p. 20, after Meister (1991):
        // C-G-D-A 1/6 Pythagorean comma narrow; A-E, B-F#, F#-C#, G#-Eb, Eb-Bb
        // and Bb-F 1/12.
        known("Sorge (1758)", circle({{CG, PC / 6},
                                      {GD, PC / 6},
                                      {DA, PC / 6},
                                      {AE, PC / 12},
                                      {BFs, PC / 12},
                                      {FsCs, PC / 12},
                                      {GsEb, PC / 12},
                                      {EbBb, PC / 12},
                                      {BbF, PC / 12}})),
        // G. P. Telemann, Neues musicalisches System (1767): 55 equal
        // divisions; Eb-G#.
        known("Telemann 55-Tone", equalDivision(55)),
        // F. A. Vallotti, Della scienza teorica e pratica della moderna musica
        // (1779): F-C-G-D-A-E-B 1/6 Pythagorean comma narrow.
        known("Vallotti", circle({{FC, PC / 6},
                                  {CG, PC / 6},
                                  {GD, PC / 6},
                                  {DA, PC / 6},
                                  {AE, PC / 6},
                                  {EB, PC / 6}})),
        // A. Werckmeister, Musicalische Temperatur (1691): C-G-D-A and B-F#
        // 1/4 Pythagorean comma narrow.
        known("Werckmeister III",
              circle({{CG, PC / 4}, {GD, PC / 4}, {DA, PC / 4}, {BFs, PC / 4}})),
        // Werckmeister (1691): C-G, D-A, E-B, F#-C#, Bb-F 1/3 narrow, G#-D#
        // and Eb-Bb 1/3 wide.
        known("Werckmeister IV", circle({{CG, PC / 3},
                                         {DA, PC / 3},
                                         {EB, PC / 3},
                                         {FsCs, PC / 3},
                                         {BbF, PC / 3},
                                         {GsEb, -PC / 3},
                                         {EbBb, -PC / 3}})),
        // Werckmeister (1691): D-A-E, F#-C#-G#, F-C 1/4 narrow, G#-D# 1/4 wide.
        known("Werckmeister V", circle({{DA, PC / 4},
                                        {AE, PC / 4},
                                        {FsCs, PC / 4},
                                        {CsGs, PC / 4},
                                        {FC, PC / 4},
                                        {GsEb, -PC / 4}})),
        // T. Young, Philosophical Transactions 90 (1800): C-G-D-A-E-B-F# 1/6
        // Pythagorean comma narrow.
        known("Young (1799)", circle({{CG, PC / 6},
                                      {GD, PC / 6},
                                      {DA, PC / 6},
                                      {AE, PC / 6},
                                      {EB, PC / 6},
                                      {BFs, PC / 6}})),
        // No published definition of this one is known to us.
        {"Zazal", std::nullopt, 0.0},
    };
}

} // namespace

std::span<const Temperament> temperaments()
{
    static const std::vector<Temperament> table = buildTemperaments();
    return table;
}

std::string temperamentListEntry(int index)
{
    const auto table = temperaments();
    if (index < 0 || std::size_t(index) >= table.size())
        return {};
    std::string number = std::to_string(index + 1);
    number.resize(8, ' ');
    return " " + number + std::string(table[std::size_t(index)].name);
}

ScaleValues scaleTuneValues(const std::array<double, 12>& cents)
{
    ScaleValues values{};
    for (std::size_t i = 0; i < 12; ++i) {
        const long deviation = std::lround(cents[i] - 100.0 * double(i));
        values[i] = std::uint8_t(std::clamp(long(ScaleTuneCentre) + deviation, 0L, 127L));
    }
    return values;
}

std::string scaleFileLine(const Temperament& temperament)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string line;
    for (std::size_t i = 0; i < 12; ++i) {
        if (i)
            line.push_back(' ');
        if (!temperament.cents) {
            line += "??";
            continue;
        }
        const std::uint8_t v = scaleTuneValues(*temperament.cents)[i];
        line.push_back(Hex[v >> 4]);
        line.push_back(Hex[v & 0x0F]);
    }
    return line;
}

std::string scalesFileText()
{
    std::string text;
    for (const Temperament& t : temperaments())
        text += scaleFileLine(t) + "\n";
    return text;
}

} // namespace dorvane
