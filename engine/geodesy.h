// ECEF to geodetic conversion and the packed DD.MMSSsssss angle format.
#pragma once

namespace delvaro {

double Cosine(double x);
double Sine(double x);
double ArcTangent(double x);
double Absolute(double x);
double SquareRoot(double x);
double Square(double x);
double IntegerPart(double x);     // truncated toward zero, as a 32-bit integer
double FractionalPart(double x);  // x - IntegerPart(x), keeping the sign of x

// Direction of (x, y) from the origin, -pi to pi; the negative x axis gives
// -pi and the origin -pi/2.
double QuadrantAngle(double x, double y);

// The most passes EcefToGeodetic makes before it takes the latitude it has.
constexpr int kMaxLatitudePasses = 1000;

// Latitude and longitude in radians, height above the ellipsoid in metres.
void EcefToGeodetic(double a, double e2, double x, double y, double z, double& latitude,
                    double& longitude, double& height);

// Radians to DD.MMSSsssss: degrees, two digits of minutes, then seconds
// divided by 10000. A negative angle packs its magnitude and negates it.
double RadiansToPackedDms(double angle);

// WGS 84, formed from the semi-major axis and the inverse flattening.
constexpr double kWgs84A = 6378137.0;
constexpr double kWgs84InverseFlattening = 298.257223563;
double Wgs84SemiMinorAxis();
double Wgs84EccentricitySquared();

}  // namespace delvaro
